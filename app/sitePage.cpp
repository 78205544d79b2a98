// Page "Site": the whole bus as a tree, the buttons that plan it and bring it up to date, the
// choices of the run, and the line that sums the last run up.

#include "controls.h"
#include "fwUpgrade.h"
#include "siteTree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton* makeSiteButton(QWidget* parent, const QString& name, const QString& caption,
                            const QString& accessible, const QString& tip) {
    QPushButton* button = makeButton(parent, name, caption);
    button->setAccessibleName(accessible);
    button->setToolTip(tip);
    return button;
}

} // namespace

QWidget* TForm1::buildSiteBar() {
    QWidget* bar = makePanel(tbsSite, QStringLiteral("pnlSite"));
    btnPlan = makeSiteButton(bar, QStringLiteral("btnPlan"), QStringLiteral("&Plan"),
                             QStringLiteral("Plan"),
                             QStringLiteral("Survey the bus and plan each unit; nothing is sent "
                                            "that changes a unit."));
    btnSite = makeSiteButton(bar, QStringLiteral("btnSite"), QStringLiteral("Upgrade &Site"),
                             QStringLiteral("Upgrade site"),
                             QStringLiteral("Bring every unit that is behind up to date, then "
                                            "survey again to verify."));
    startsOperation(btnPlan);
    startsOperation(btnSite, BusOperation::Site);
    ckbRemotes = makeCheckBox(bar, QStringLiteral("ckbRemotes"), QStringLiteral("Remotes &too"));
    ckbRemotes->setAccessibleName(QStringLiteral("Remotes too"));
    ckbRemotes->setToolTip(QStringLiteral("Upgrade the remotes as well; else they are left on "
                                          "request."));
    cbxModel = new QComboBox(bar);
    cbxModel->setObjectName(QStringLiteral("cbxModel"));
    cbxModel->addItem(QStringLiteral("A/B"), int(ControllerModel::AB));
    cbxModel->addItem(QStringLiteral("C/D"), int(ControllerModel::CD));
    cbxModel->setAccessibleName(QStringLiteral("Controller model"));
    cbxModel->setToolTip(QStringLiteral("The file a QRM controller of product 5 takes."));
    auto* model = makeLabel(bar, QStringLiteral("lblModel"), QStringLiteral("&Model:"));
    model->setBuddy(cbxModel);
    btnSaveReport = makeSiteButton(bar, QStringLiteral("btnSaveReport"),
                                   QStringLiteral("Save &Report..."), QStringLiteral("Save report"),
                                   QStringLiteral("Write the last run's site report: JSON, or a "
                                                  "printable text page."));
    btnSaveReport->setEnabled(false); // until a site run has ended

    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 4, 4, 4);
    row->addWidget(btnPlan);
    row->addWidget(btnSite);
    row->addWidget(ckbRemotes);
    row->addWidget(model);
    row->addWidget(cbxModel);
    row->addStretch(1);
    row->addWidget(btnSaveReport);
    return bar;
}

QWidget* TForm1::buildSitePage() {
    tbsSite = new QWidget;
    tbsSite->setObjectName(QStringLiteral("tbsSite"));
    QWidget* bar = buildSiteBar();
    tvSite = new SiteTree(tbsSite);
    tvSite->setObjectName(QStringLiteral("tvSite"));
    tvSite->setAccessibleName(QStringLiteral("Units of the site"));
    tvSite->setAccessibleDescription(
        QStringLiteral("One row per unit: address, fixed address, product, version, file, "
                       "file version, action, progress, result and its reason. A remote is "
                       "the child of its terminal's row."));
    lblSite = makeLabel(tbsSite, QStringLiteral("lblSite"),
                        QStringLiteral("Plan to see what a site run would do."));
    lblSite->setAccessibleName(QStringLiteral("Site run"));
    lblSite->setWordWrap(true);
    lblSite->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto* page = new QVBoxLayout(tbsSite);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(2);
    page->addWidget(bar);
    page->addWidget(tvSite, 1);
    page->addWidget(lblSite);

    connect(btnPlan, &QPushButton::clicked, this, &TForm1::btnPlanClick);
    connect(btnSite, &QPushButton::clicked, this, &TForm1::btnSiteClick);
    connect(btnSaveReport, &QPushButton::clicked, this, &TForm1::btnSaveReportClick);
    return tbsSite;
}

// Page "Site": the whole bus as a tree, the buttons that plan it and bring it up to date, the
// choices of the run, and the line that sums the last run up.

#include "sitePage.h"
#include "controls.h"
#include "runButtons.h"
#include "siteTree.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kSiteCaption = QStringLiteral("Upgrade &Site");
const QString kSiteName = QStringLiteral("Upgrade site");
const QString kStopCaption = QStringLiteral("&Stop");
const QString kStopName = QStringLiteral("Stop the site run");
const QString kPlanning = QStringLiteral("Planning...");
const QString kUpgrading = QStringLiteral("Upgrading the site...");
const QString kStoppingNow = QStringLiteral("Stopping now...");
const QString kStatusName = QStringLiteral("Site run");

QPushButton* makeSiteButton(QWidget* parent, const QString& name, const QString& caption,
                            const QString& accessible, const QString& tip) {
    QPushButton* button = makeButton(parent, name, caption);
    button->setAccessibleName(accessible);
    button->setToolTip(tip);
    return button;
}

} // namespace

QWidget* SitePage::buildBar() {
    QWidget* bar = makePanel(this, QStringLiteral("pnlSite"));
    btnPlan_ = makeSiteButton(bar, QStringLiteral("btnPlan"), QStringLiteral("&Plan"),
                              QStringLiteral("Plan"),
                              QStringLiteral("Survey the bus and plan each unit; nothing is sent "
                                             "that changes a unit."));
    btnSite_ = makeSiteButton(bar, QStringLiteral("btnSite"), QStringLiteral("Upgrade &Site"),
                              QStringLiteral("Upgrade site"),
                              QStringLiteral("Bring every unit that is behind up to date, then "
                                             "survey again to verify."));
    auto* starters = new RunButtons(bus_, this);
    starters->add(btnPlan_);
    starters->add(btnSite_, BusOperation::Site);
    ckbRemotes_ = makeCheckBox(bar, QStringLiteral("ckbRemotes"), QStringLiteral("Remotes &too"));
    ckbRemotes_->setAccessibleName(QStringLiteral("Remotes too"));
    ckbRemotes_->setToolTip(QStringLiteral("Upgrade the remotes as well; else they are left on "
                                           "request."));
    cbxModel_ = new QComboBox(bar);
    cbxModel_->setObjectName(QStringLiteral("cbxModel"));
    cbxModel_->addItem(QStringLiteral("A/B"), int(ControllerModel::AB));
    cbxModel_->addItem(QStringLiteral("C/D"), int(ControllerModel::CD));
    cbxModel_->setAccessibleName(QStringLiteral("Controller model"));
    cbxModel_->setToolTip(QStringLiteral("The file a QRM controller of product 5 takes."));
    auto* model = makeLabel(bar, QStringLiteral("lblModel"), QStringLiteral("&Model:"));
    model->setBuddy(cbxModel_);
    btnSaveReport_ =
        makeSiteButton(bar, QStringLiteral("btnSaveReport"), QStringLiteral("Save &Report..."),
                       QStringLiteral("Save report"),
                       QStringLiteral("Write the last run's site report: JSON, or a "
                                      "printable text page."));
    btnSaveReport_->setEnabled(false); // until a site run has ended

    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 4, 4, 4);
    row->addWidget(btnPlan_);
    row->addWidget(btnSite_);
    row->addWidget(ckbRemotes_);
    row->addWidget(model);
    row->addWidget(cbxModel_);
    row->addStretch(1);
    row->addWidget(btnSaveReport_);
    return bar;
}

SitePage::SitePage(BusController& bus, WindowQuestions& questions, QWidget* parent)
    : QWidget(parent), bus_(bus), questions_(questions) {
    setObjectName(QStringLiteral("tbsSite"));
    QWidget* bar = buildBar();
    tvSite_ = new SiteTree(this);
    tvSite_->setObjectName(QStringLiteral("tvSite"));
    tvSite_->setAccessibleName(QStringLiteral("Units of the site"));
    tvSite_->setAccessibleDescription(
        QStringLiteral("One row per unit: address, fixed address, product, version, file, "
                       "file version, action, progress, result and its reason. A remote is "
                       "the child of its terminal's row."));
    lblSite_ = makeLabel(this, QStringLiteral("lblSite"), QString());
    say(QStringLiteral("Plan to see what a site run would do."));
    lblSite_->setWordWrap(true);
    lblSite_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(2);
    page->addWidget(bar);
    page->addWidget(tvSite_, 1);
    page->addWidget(lblSite_);

    connect(btnPlan_, &QPushButton::clicked, this, [this] { startRun(true); });
    connect(btnSite_, &QPushButton::clicked, this, &SitePage::siteClicked);
    connect(btnSaveReport_, &QPushButton::clicked, this, &SitePage::saveReport);
    connectBus();
}

// While a site run runs the button is its Stop: the first lets the units being written finish,
// the next (or the first while none is) ends the run at the procedure's checkpoint; either way
// nothing further is started.
void SitePage::siteClicked() {
    if (bus_.running() == BusOperation::Site) {
        showStopAsked(bus_.stop());
        return;
    }
    startRun(false);
}

void SitePage::startRun(bool planOnly) {
    SiteOptions options;
    options.remotes = ckbRemotes_->isChecked();
    options.model = static_cast<ControllerModel>(cbxModel_->currentData().toInt());
    if (!(planOnly ? bus_.plan(options) : bus_.upgradeSite(options))) return;
    searchShown_ = false;
    // An upgrade plans first: it says it upgrades only once the operator has said Yes.
    say(kPlanning);
    setRunning(true);
}

// The box waits on the window's thread while the run waits for its answer; Enter answers No.
void SitePage::connectBus() {
    BusController* bus = &bus_;
    connect(
        bus, &BusController::siteUpgradeAsked, this, [this](const QString& question, bool* yes) {
            *yes = questions_.showMessageBox(QMessageBox::Question, QStringLiteral("Upgrade Site"),
                                             question, QMessageBox::Yes | QMessageBox::No) ==
                   QMessageBox::Yes;
            if (*yes) say(kUpgrading);
        });
    connect(bus, &BusController::sitePlanned, tvSite_, &SiteTree::showBus);
    connect(bus, &BusController::siteUnitChanged, tvSite_, &SiteTree::showUnit);
    // The search is over once pages go out, or the next step begins.
    connect(bus, &BusController::siteProgress, this, [this](std::size_t unit, int percent) {
        tvSite_->showProgress(unit, percent);
        endSearchLine();
    });
    connect(bus, &BusController::siteStepStarted, this, &SitePage::endSearchLine);
    connect(bus, &BusController::finished, this, [this](BusOperation kind) {
        if (kind == BusOperation::Site) runEnded();
    });
    connect(bus, &BusController::siteScanning, this, [this](int la, int of) {
        searchShown_ = true;
        say(QStringLiteral("Searching LA %1 of %2").arg(la).arg(of));
    });
}

void SitePage::endSearchLine() {
    if (!searchShown_) return;
    searchShown_ = false;
    say(kUpgrading);
}

// The rows keep the progress they showed when the run's units are the planned ones.
void SitePage::runEnded() {
    setRunning(false);
    const std::optional<SiteBus>& bus = bus_.lastSite();
    if (!bus) {
        say(QStringLiteral("The site run ended early on an error."));
        return;
    }
    if (tvSite_->unitCount() == bus->units.size()) {
        for (std::size_t unit = 0; unit < bus->units.size(); ++unit)
            tvSite_->showUnit(unit, bus->units[unit]);
    } else {
        tvSite_->showBus(*bus);
    }
    say(siteSummary(*bus));
    if (bus_.siteDeclined()) say(QStringLiteral("%1 Nothing was upgraded.").arg(siteSummary(*bus)));
}

// The buttons follow the run's phase like every page's; the run's choices and its report wait
// for its end as well. Save Report stays off until a site run has ended.
void SitePage::setRunning(bool running) {
    btnSite_->setText(running ? kStopCaption : kSiteCaption);
    btnSite_->setAccessibleName(running ? kStopName : kSiteName);
    for (QWidget* input : {static_cast<QWidget*>(ckbRemotes_), static_cast<QWidget*>(cbxModel_)})
        input->setEnabled(!running);
    btnSaveReport_->setEnabled(!running && bus_.siteRunDone());
}

// The status line says what a Stop that lets the units finish waits for, and acknowledges at
// once a Stop that ends the run at its next checkpoint.
void SitePage::showStopAsked(StopLevel level) {
    if (level == StopLevel::AtCheckpoint && bus_.running() == BusOperation::Site) {
        say(kStoppingNow);
        return;
    }
    if (level != StopLevel::AfterUnitsInHand) return;
    const QString note = QString::fromStdString(bus_.session().control().finishNote());
    if (!note.isEmpty()) say(note);
}

// A screen reader reads the line by its name: the name carries the line's text.
void SitePage::say(const QString& text) {
    lblSite_->setText(text);
    lblSite_->setAccessibleName(QStringLiteral("%1: %2").arg(kStatusName, text));
}

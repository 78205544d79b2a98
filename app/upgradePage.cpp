// Page "Firmware Upgrade": the input panel on the left, the status log and the progress bar.

#include "controls.h"
#include "fwUpgrade.h"
#include "logView.h"
#include "maskedEdit.h"
#include "radioGroup.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kPanelWidth = 161;
constexpr int kProgressHeight = 12;

MaskedEdit* makeLAEdit(QWidget* parent, const QString& name) {
    MaskedEdit* edit = makeHexEdit(parent, name, QStringLiteral("!>AA;0;_"), QStringLiteral("00"));
    edit->setFont(laEditFont());
    edit->setToolTip(QStringLiteral("Hex value"));
    return edit;
}

} // namespace

QWidget* TForm1::buildUpgradePage() {
    tbsUpgrade = new QWidget;
    tbsUpgrade->setObjectName(QStringLiteral("tbsUpgrade"));

    pnlUpgrade = makePanel(tbsUpgrade, QStringLiteral("pnlUpgrade"));
    // Never narrower than the panel's design width; wider where captions need it.
    pnlUpgrade->setMinimumWidth(kPanelWidth);
    pnlUpgrade->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* addresses = new QGridLayout;
    addresses->addWidget(
        makeLabel(pnlUpgrade, QStringLiteral("Label1"), QStringLiteral("Controller LA:")), 0, 0);
    edtControllerLA = makeLAEdit(pnlUpgrade, QStringLiteral("edtControllerLA"));
    addresses->addWidget(edtControllerLA, 0, 1);
    addresses->addWidget(
        makeLabel(pnlUpgrade, QStringLiteral("Label2"), QStringLiteral("Terminal LA:")), 1, 0);
    edtTerminalLA = makeLAEdit(pnlUpgrade, QStringLiteral("edtTerminalLA"));
    addresses->addWidget(edtTerminalLA, 1, 1);

    rgUnitType = new RadioGroup(QStringLiteral("Unit Type: "),
                                {QStringLiteral("Terminal"), QStringLiteral("QRM-A/B Controller"),
                                 QStringLiteral("Host Interface"),
                                 QStringLiteral("QRM-C/D Controller"), QStringLiteral("Remote")},
                                pnlUpgrade);
    rgUnitType->setObjectName(QStringLiteral("rgUnitType"));
    rgUnitType->setItemIndex(0);
    rgUpgradeType =
        new RadioGroup(QStringLiteral("Upgrade Type: "),
                       {QStringLiteral("Single unit."), QStringLiteral("ALL units."),
                        QStringLiteral("ALL units [one at a time]."), QStringLiteral("Advanced")},
                       pnlUpgrade);
    rgUpgradeType->setObjectName(QStringLiteral("rgUpgradeType"));
    rgUpgradeType->setItemIndex(0);
    ckbForceUpgrade = makeCheckBox(pnlUpgrade, QStringLiteral("ckbForceUpgrade"),
                                   QStringLiteral("Force Upgrade"));
    ckbForceUpgrade->setToolTip(QStringLiteral("Upgrade even if Version is the latest."));
    // Outside the panel, which a run disables: "&Stop" and "&Skip" must stay clickable.
    btnUpgrade = makeButton(tbsUpgrade, QStringLiteral("btnUpgrade"), QStringLiteral("&Upgrade"));
    btnUpgrade->setDefault(true);
    startsOperation(btnUpgrade, BusOperation::Upgrade);

    auto* panelLayout = new QVBoxLayout(pnlUpgrade);
    panelLayout->addLayout(addresses);
    panelLayout->addWidget(rgUnitType);
    panelLayout->addWidget(rgUpgradeType);
    panelLayout->addWidget(ckbForceUpgrade);

    // The button stands below the panel, in the same column.
    auto* inputColumn = new QVBoxLayout;
    inputColumn->addWidget(pnlUpgrade);
    inputColumn->addWidget(btnUpgrade);
    inputColumn->addStretch();

    mmoStatus = new LogView(tbsUpgrade);
    mmoStatus->setObjectName(QStringLiteral("mmoStatus"));
    attachReportMenu(mmoStatus);
    pgrProgress = new QProgressBar(tbsUpgrade);
    pgrProgress->setObjectName(QStringLiteral("pgrProgress"));
    pgrProgress->setRange(0, 100);
    pgrProgress->setValue(0);
    pgrProgress->setFixedHeight(kProgressHeight);
    pgrProgress->setTextVisible(false);
    lblUpgrade = makeLabel(tbsUpgrade, QStringLiteral("lblUpgrade"), QString());
    lblUpgrade->setAccessibleName(QStringLiteral("Upgrade run"));
    lblUpgrade->setWordWrap(true);
    lblUpgrade->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    lblUpgrade->hide(); // until a run has ended

    auto* upper = new QHBoxLayout;
    upper->setSpacing(0);
    upper->addLayout(inputColumn);
    upper->addWidget(mmoStatus);
    auto* page = new QVBoxLayout(tbsUpgrade);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    page->addLayout(upper);
    page->addWidget(pgrProgress);
    page->addWidget(lblUpgrade);

    connect(rgUnitType, &RadioGroup::itemClicked, this, &TForm1::rgUnitTypeClick);
    connect(rgUpgradeType, &RadioGroup::itemClicked, this, &TForm1::rgUpgradeTypeClick);
    connect(btnUpgrade, &QPushButton::clicked, this, &TForm1::btnUpgradeClick);
    connect(mmoStatus, &LogView::doubleClicked, this, &TForm1::mmoStatusDblClick);
    return tbsUpgrade;
}

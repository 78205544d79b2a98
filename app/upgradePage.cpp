// Page "Firmware Upgrade": the input panel on the left, the status log and the progress bar.

#include "upgradePage.h"
#include "controls.h"
#include "logView.h"
#include "maskedEdit.h"
#include "radioGroup.h"
#include "runButtons.h"
#include "upgrade/typeChoice.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QStringList kStartupNotice = {
    QStringLiteral("-------------------  IMPORTANT NOTICE ----------------------"),
    QStringLiteral("The displayed Controller/Terminal version numbers "),
    QStringLiteral("have changed from hexadecimal to decimal format."),
    QStringLiteral("________________________________________"),
    QString(),
    QString(),
};

constexpr int kPanelWidth = 161;
constexpr int kProgressHeight = 12;

MaskedEdit* makeLAEdit(QWidget* parent, const QString& name) {
    MaskedEdit* edit = makeHexEdit(parent, name, QStringLiteral("!>AA;0;_"), QStringLiteral("00"));
    edit->setFont(laEditFont());
    edit->setToolTip(QStringLiteral("Hex value"));
    return edit;
}

// The verdict line of a run, from the one value the run returned and nothing it logged.
QString upgradeVerdict(const Outcome& outcome) {
    if (outcome.succeeded()) return QStringLiteral("Upgrade completed.");
    QString line = QStringLiteral("Upgrade %1").arg(QString::fromStdString(outcome.describe()));
    if (!outcome.unit.empty())
        line += QStringLiteral(" (unit %1)").arg(QString::fromStdString(outcome.unit));
    return line;
}

void applyBox(MaskedEdit* edit, const LABox& box) {
    edit->setFieldText(QString::fromStdString(box.text));
    edit->setEnabled(box.enabled);
}

} // namespace

UpgradePage::UpgradePage(BusController& bus, QWidget* parent) : QWidget(parent), bus_(bus) {
    setObjectName(QStringLiteral("tbsUpgrade"));
    build();
    connectBus();
    mmoStatus_->setLines(kStartupNotice);
}

void UpgradePage::build() {
    pnlUpgrade_ = makePanel(this, QStringLiteral("pnlUpgrade"));
    // Never narrower than the panel's design width; wider where captions need it.
    pnlUpgrade_->setMinimumWidth(kPanelWidth);
    pnlUpgrade_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    auto* addresses = new QGridLayout;
    addresses->addWidget(
        makeLabel(pnlUpgrade_, QStringLiteral("Label1"), QStringLiteral("Controller LA:")), 0, 0);
    edtControllerLA_ = makeLAEdit(pnlUpgrade_, QStringLiteral("edtControllerLA"));
    addresses->addWidget(edtControllerLA_, 0, 1);
    addresses->addWidget(
        makeLabel(pnlUpgrade_, QStringLiteral("Label2"), QStringLiteral("Terminal LA:")), 1, 0);
    edtTerminalLA_ = makeLAEdit(pnlUpgrade_, QStringLiteral("edtTerminalLA"));
    addresses->addWidget(edtTerminalLA_, 1, 1);

    rgUnitType_ = new RadioGroup(QStringLiteral("Unit Type: "),
                                 {QStringLiteral("Terminal"), QStringLiteral("QRM-A/B Controller"),
                                  QStringLiteral("Host Interface"),
                                  QStringLiteral("QRM-C/D Controller"), QStringLiteral("Remote")},
                                 pnlUpgrade_);
    rgUnitType_->setObjectName(QStringLiteral("rgUnitType"));
    rgUnitType_->setItemIndex(0);
    rgUpgradeType_ =
        new RadioGroup(QStringLiteral("Upgrade Type: "),
                       {QStringLiteral("Single unit."), QStringLiteral("ALL units."),
                        QStringLiteral("ALL units [one at a time]."), QStringLiteral("Advanced")},
                       pnlUpgrade_);
    rgUpgradeType_->setObjectName(QStringLiteral("rgUpgradeType"));
    rgUpgradeType_->setItemIndex(0);
    ckbForceUpgrade_ = makeCheckBox(pnlUpgrade_, QStringLiteral("ckbForceUpgrade"),
                                    QStringLiteral("Force Upgrade"));
    ckbForceUpgrade_->setToolTip(QStringLiteral("Upgrade even if Version is the latest."));
    // Outside the panel, which a run disables: "&Stop" and "&Skip" must stay clickable.
    btnUpgrade_ = makeButton(this, QStringLiteral("btnUpgrade"), QStringLiteral("&Upgrade"));
    btnUpgrade_->setDefault(true);
    (new RunButtons(bus_, this))->add(btnUpgrade_, BusOperation::Upgrade);

    auto* panelLayout = new QVBoxLayout(pnlUpgrade_);
    panelLayout->addLayout(addresses);
    panelLayout->addWidget(rgUnitType_);
    panelLayout->addWidget(rgUpgradeType_);
    panelLayout->addWidget(ckbForceUpgrade_);

    // The button stands below the panel, in the same column.
    auto* inputColumn = new QVBoxLayout;
    inputColumn->addWidget(pnlUpgrade_);
    inputColumn->addWidget(btnUpgrade_);
    inputColumn->addStretch();

    mmoStatus_ = new LogView(this);
    mmoStatus_->setObjectName(QStringLiteral("mmoStatus"));
    pgrProgress_ = new QProgressBar(this);
    pgrProgress_->setObjectName(QStringLiteral("pgrProgress"));
    pgrProgress_->setRange(0, 100);
    pgrProgress_->setValue(0);
    pgrProgress_->setFixedHeight(kProgressHeight);
    pgrProgress_->setTextVisible(false);
    lblUpgrade_ = makeLabel(this, QStringLiteral("lblUpgrade"), QString());
    lblUpgrade_->setAccessibleName(QStringLiteral("Upgrade run"));
    lblUpgrade_->setWordWrap(true);
    lblUpgrade_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    lblUpgrade_->hide(); // until a run has ended

    auto* upper = new QHBoxLayout;
    upper->setSpacing(0);
    upper->addLayout(inputColumn);
    upper->addWidget(mmoStatus_);
    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    page->addLayout(upper);
    page->addWidget(pgrProgress_);
    page->addWidget(lblUpgrade_);

    connect(rgUnitType_, &RadioGroup::itemClicked, this, &UpgradePage::unitTypeClicked);
    connect(rgUpgradeType_, &RadioGroup::itemClicked, this, &UpgradePage::unitTypeClicked);
    connect(btnUpgrade_, &QPushButton::clicked, this, &UpgradePage::upgradeClicked);
    connect(mmoStatus_, &LogView::doubleClicked, mmoStatus_, &LogView::clearLines);
}

void UpgradePage::connectBus() {
    BusController* bus = &bus_;
    connect(bus, &BusController::statusLine, mmoStatus_, &LogView::appendLine);
    connect(bus, &BusController::statusCleared, mmoStatus_, &LogView::clearLines);
    connect(bus, &BusController::progressed, this, [this](int position, int min, int max) {
        pgrProgress_->setRange(min, max);
        pgrProgress_->setValue(position);
    });
    connect(bus, &BusController::finished, this, [this](BusOperation kind, const Outcome& outcome) {
        if (kind == BusOperation::Upgrade) upgradeEnded(outcome);
    });
}

UpgradeType UpgradePage::upgradeType() const {
    return static_cast<UpgradeType>(rgUpgradeType_->itemIndex());
}

void UpgradePage::unitTypeClicked() {
    const TypeChoice choice =
        ChooseUnitAndUpgradeType(static_cast<UnitType>(rgUnitType_->itemIndex()), upgradeType());
    applyBox(edtControllerLA_, choice.controllerLA);
    applyBox(edtTerminalLA_, choice.terminalLA);
    bus_.scope = choice.scope;
    rgUnitType_->setEnabled(true);
    rgUpgradeType_->setEnabled(true);
    if (choice.upgradeType != upgradeType()) {
        // Setting the group from here emits no click: run its handler as a click would.
        rgUpgradeType_->setItemIndex(static_cast<int>(choice.upgradeType));
        unitTypeClicked();
    }
}

// During a run the button is the running procedure's Skip while it searches for units, and its
// Stop otherwise.
void UpgradePage::upgradeClicked() {
    if (bus_.running() == BusOperation::Upgrade) {
        if (bus_.phase() == RunPhase::Discovering)
            bus_.skip();
        else
            bus_.stop();
        return;
    }
    if (!bus_.upgrade(upgradeSettings())) return;
    pnlUpgrade_->setEnabled(false);
    lblUpgrade_->hide();
}

// The page is idle again however the run ended, a comms log failure included.
void UpgradePage::upgradeEnded(const Outcome& outcome) {
    pnlUpgrade_->setEnabled(true);
    if (bus_.upgradePortOpened()) ckbForceUpgrade_->setChecked(false);
    lblUpgrade_->setText(upgradeVerdict(outcome));
    lblUpgrade_->show();
}

UpgradeSettings UpgradePage::upgradeSettings() const {
    UpgradeSettings settings;
    settings.unitType = static_cast<UnitType>(rgUnitType_->itemIndex());
    settings.upgradeType = upgradeType();
    settings.forceUpgrade = ckbForceUpgrade_->isChecked();
    settings.controllerLA = edtControllerLA_->fieldText().toStdString();
    settings.terminalLA = edtTerminalLA_->fieldText().toStdString();
    return settings;
}

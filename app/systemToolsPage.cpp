// Page "System Tools": survey, comms test and reset controls above the report log.

#include "systemToolsPage.h"

#include "controls.h"
#include "logView.h"
#include "maskedEdit.h"
#include "runButtons.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int kPingPanelHeight = 89;
const QString kUnitCLAMask = QStringLiteral("!>AA:AA;0;_");
const QString kUnitLAMask = QStringLiteral("!>AA;0;_");

void styleReportLog(LogView* log) {
    QFont font(QStringLiteral("Courier New"), 8);
    log->setFont(font);
    QPalette palette = log->palette();
    palette.setColor(QPalette::Base, QColor(Qt::darkBlue));
    palette.setColor(QPalette::Text, QColor(Qt::white));
    log->setPalette(palette);
    log->setLineWrapMode(QPlainTextEdit::NoWrap);
    log->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

// One byte per character, as the units take them.
std::string fieldOf(const MaskedEdit* edit) {
    return edit->fieldText().toLatin1().toStdString();
}

} // namespace

SystemToolsPage::SystemToolsPage(BusController& bus, QWidget* parent) : QWidget(parent), bus_(bus) {
    setObjectName(QStringLiteral("tbsPing"));
    QWidget* pnlPing = makePanel(this, QStringLiteral("pnlPing"));
    pnlPing->setFixedHeight(kPingPanelHeight);
    QPushButton* btnPing = makeButton(pnlPing, QStringLiteral("btnPing"), QStringLiteral("&Ping"));
    QWidget* comms = buildCommsTestPanel(pnlPing);
    QPushButton* btnReset =
        makeButton(pnlPing, QStringLiteral("btnReset"), QStringLiteral("&Reset"));
    auto* top = new QHBoxLayout(pnlPing);
    top->setContentsMargins(4, 4, 4, 4);
    top->addWidget(btnPing);
    top->addWidget(comms, 1);
    top->addWidget(btnReset);
    buildReportLog();

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    page->addWidget(pnlPing);
    page->addWidget(mmoReport_);

    auto* starters = new RunButtons(bus_, this);
    starters->add(btnPing);
    starters->add(btnCommsTest_, BusOperation::CommsTest);
    starters->add(btnReset);
    // The survey may take minutes on a large network. No button is its Stop, so its own stays
    // disabled with the others until it ends; closing the window stops it at its next request.
    connect(btnPing, &QPushButton::clicked, this, [this] { bus_.survey(); });
    connect(btnCommsTest_, &QPushButton::clicked, this, &SystemToolsPage::commsTestClicked);
    connect(ckFastPoll_, &QCheckBox::clicked, this, &SystemToolsPage::fastPollClicked);
    connect(btnReset, &QPushButton::clicked, this, [this] { bus_.resetNetwork(); });
    connectBus();
}

QWidget* SystemToolsPage::buildCommsTestPanel(QWidget* parent) {
    QWidget* panel = makePanel(parent, QStringLiteral("pnlCommsTest"));
    edtCLA_ = makeHexEdit(panel, QStringLiteral("edtCLA"), kUnitCLAMask, QStringLiteral("FFFF"));
    edtCLA_->setToolTip(QStringLiteral("i.e.  FF:FF = all units;  02:FF = all units on Controller "
                                       "02;  FF:00 = all Controllers only."));
    edtCycles_ = makeMaskedEdit(panel, QStringLiteral("edtCycles"), QStringLiteral("0000;1;_"),
                                QStringLiteral("0001"));
    btnCommsTest_ =
        makeButton(panel, QStringLiteral("btnCommsTest"), QStringLiteral("&Comms Test"));
    btnCommsTest_->setToolTip(QStringLiteral("Communications line test."));
    ckFastPoll_ = makeCheckBox(panel, QStringLiteral("ckFastPoll"),
                               QStringLiteral("Online and timeout diagnostics"));
    ckFastPoll_->setToolTip(
        QStringLiteral("Enter Controller LA or Host Interface (LA=7F)  to test."));
    lblCycle_ = makeLabel(panel, QStringLiteral("lblCycle"), QString());
    lblCLA_ = makeLabel(panel, QStringLiteral("lblCLA"), QString());
    lblProgress_ = makeLabel(panel, QStringLiteral("lblProgress"), QString());

    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->addWidget(makeLabel(panel, QStringLiteral("Label4"), QStringLiteral("Unit CLA:")), 0, 0);
    grid->addWidget(edtCLA_, 0, 1);
    grid->addWidget(makeLabel(panel, QStringLiteral("Label3"), QStringLiteral("No Of Cycles:")), 1,
                    0);
    grid->addWidget(edtCycles_, 1, 1);
    grid->addWidget(btnCommsTest_, 0, 2);
    grid->addWidget(ckFastPoll_, 1, 2);
    grid->addWidget(lblCycle_, 0, 3);
    grid->addWidget(lblCLA_, 1, 3);
    grid->addWidget(lblProgress_, 2, 3);
    return panel;
}

void SystemToolsPage::buildReportLog() {
    mmoReport_ = new LogView(this);
    mmoReport_->setObjectName(QStringLiteral("mmoReport"));
    styleReportLog(mmoReport_);
    connect(mmoReport_, &LogView::doubleClicked, mmoReport_, &LogView::clearLines);
}

void SystemToolsPage::connectBus() {
    BusController* bus = &bus_;
    connect(bus, &BusController::reportLine, mmoReport_, &LogView::appendLine);
    connect(bus, &BusController::reportCleared, mmoReport_, &LogView::clearLines);
    connect(bus, &BusController::lastReportLineReplaced, mmoReport_, &LogView::replaceLastLine);
    connect(bus, &BusController::reportReplaced, mmoReport_, &LogView::setLines);
    connect(bus, &BusController::labelSet, this, [this](ConsoleLabel label, const QString& text) {
        QLabel* shown = label == ConsoleLabel::Cycle ? lblCycle_
                        : label == ConsoleLabel::Cla ? lblCLA_
                                                     : lblProgress_;
        shown->setText(text);
    });
    connect(bus, &BusController::finished, this, [this](BusOperation kind) {
        if (kind == BusOperation::CommsTest) enableInputs(true);
    });
}

// While its run is on, the button is its Stop.
void SystemToolsPage::commsTestClicked() {
    if (bus_.running() == BusOperation::CommsTest) {
        bus_.stop();
        return;
    }
    const bool started = ckFastPoll_->isChecked()
                             ? bus_.fastPoll(fieldOf(edtCLA_))
                             : bus_.commsTest(fieldOf(edtCLA_), fieldOf(edtCycles_));
    if (started) enableInputs(false);
}

void SystemToolsPage::enableInputs(bool enabled) {
    edtCycles_->setEnabled(enabled);
    edtCLA_->setEnabled(enabled);
}

// The "Unit CLA:" box takes a controller's LA for the fast-poll display.
void SystemToolsPage::fastPollClicked() {
    const bool fastPoll = ckFastPoll_->isChecked();
    edtCycles_->setEnabled(!fastPoll);
    edtCLA_->setEditMask(fastPoll ? kUnitLAMask : kUnitCLAMask);
    edtCLA_->setFieldText(fastPoll ? QStringLiteral("01") : QStringLiteral("FFFF"));
}

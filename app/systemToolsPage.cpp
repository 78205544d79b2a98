// Page "System Tools": survey, comms test and reset controls above the report log.

#include "controls.h"
#include "fwUpgrade.h"
#include "logView.h"
#include "maskedEdit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int kPingPanelHeight = 89;

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

} // namespace

QWidget* TForm1::buildSystemToolsPage() {
    tbsPing = new QWidget;
    tbsPing->setObjectName(QStringLiteral("tbsPing"));

    pnlPing = makePanel(tbsPing, QStringLiteral("pnlPing"));
    pnlPing->setFixedHeight(kPingPanelHeight);
    btnPing = makeButton(pnlPing, QStringLiteral("btnPing"), QStringLiteral("&Ping"));

    pnlCommsTest = makePanel(pnlPing, QStringLiteral("pnlCommsTest"));
    edtCLA = makeHexEdit(pnlCommsTest, QStringLiteral("edtCLA"), QStringLiteral("!>AA:AA;0;_"),
                         QStringLiteral("FFFF"));
    edtCLA->setToolTip(QStringLiteral("i.e.  FF:FF = all units;  02:FF = all units on Controller "
                                      "02;  FF:00 = all Controllers only."));
    edtCycles = makeMaskedEdit(pnlCommsTest, QStringLiteral("edtCycles"),
                               QStringLiteral("0000;1;_"), QStringLiteral("0001"));
    btnCommsTest =
        makeButton(pnlCommsTest, QStringLiteral("btnCommsTest"), QStringLiteral("&Comms Test"));
    btnCommsTest->setToolTip(QStringLiteral("Communications line test."));
    ckFastPoll = makeCheckBox(pnlCommsTest, QStringLiteral("ckFastPoll"),
                              QStringLiteral("Online and timeout diagnostics"));
    ckFastPoll->setToolTip(
        QStringLiteral("Enter Controller LA or Host Interface (LA=7F)  to test."));
    lblCycle = makeLabel(pnlCommsTest, QStringLiteral("lblCycle"), QString());
    lblCLA = makeLabel(pnlCommsTest, QStringLiteral("lblCLA"), QString());
    lblProgress = makeLabel(pnlCommsTest, QStringLiteral("lblProgress"), QString());

    auto* comms = new QGridLayout(pnlCommsTest);
    comms->setContentsMargins(6, 4, 6, 4);
    comms->addWidget(makeLabel(pnlCommsTest, QStringLiteral("Label4"), QStringLiteral("Unit CLA:")),
                     0, 0);
    comms->addWidget(edtCLA, 0, 1);
    comms->addWidget(
        makeLabel(pnlCommsTest, QStringLiteral("Label3"), QStringLiteral("No Of Cycles:")), 1, 0);
    comms->addWidget(edtCycles, 1, 1);
    comms->addWidget(btnCommsTest, 0, 2);
    comms->addWidget(ckFastPoll, 1, 2);
    comms->addWidget(lblCycle, 0, 3);
    comms->addWidget(lblCLA, 1, 3);
    comms->addWidget(lblProgress, 2, 3);

    btnReset = makeButton(pnlPing, QStringLiteral("btnReset"), QStringLiteral("&Reset"));
    auto* top = new QHBoxLayout(pnlPing);
    top->setContentsMargins(4, 4, 4, 4);
    top->addWidget(btnPing);
    top->addWidget(pnlCommsTest, 1);
    top->addWidget(btnReset);

    mmoReport = new LogView(tbsPing);
    mmoReport->setObjectName(QStringLiteral("mmoReport"));
    styleReportLog(mmoReport);
    attachReportMenu(mmoReport);

    auto* page = new QVBoxLayout(tbsPing);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    page->addWidget(pnlPing);
    page->addWidget(mmoReport);

    startsOperation(btnPing);
    startsOperation(btnCommsTest, BusOperation::CommsTest);
    startsOperation(btnReset);
    connect(btnPing, &QPushButton::clicked, this, &TForm1::btnPingClick);
    connect(btnCommsTest, &QPushButton::clicked, this, &TForm1::btnCommsTestClick);
    connect(ckFastPoll, &QCheckBox::clicked, this, &TForm1::ckFastPollClick);
    connect(btnReset, &QPushButton::clicked, this, &TForm1::btnResetClick);
    connect(mmoReport, &LogView::doubleClicked, this, &TForm1::mmoReportDblClick);
    return tbsPing;
}

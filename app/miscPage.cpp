// Page "Misc": four maintenance panels, each with its own inputs and "OK" button.

#include "controls.h"
#include "fwUpgrade.h"
#include "maskedEdit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString kControllerLAMask = QStringLiteral("!>AA;0;_");
const QString kMessageLineMask = QStringLiteral("cccccccccccccccc;1;_");
const QString kBlankMessageLine(16, QLatin1Char(' '));

MaskedEdit* makeControllerLAEdit(QWidget* parent, const QString& name) {
    return makeHexEdit(parent, name, kControllerLAMask, QStringLiteral("01"));
}

MaskedEdit* makeMessageLine(QWidget* parent, const QString& name) {
    MaskedEdit* line = makeMaskedEdit(parent, name, kMessageLineMask, kBlankMessageLine);
    line->setFont(fixedPitchFont());
    return line;
}

} // namespace

QWidget* TForm1::buildSetLAPanel() {
    pnlSetLA = makePanel(tbsMisc, QStringLiteral("pnlSetLA"));
    rbnContr = makeRadioButton(pnlSetLA, QStringLiteral("rbnContr"), QStringLiteral("Controller"));
    rbnTerm = makeRadioButton(pnlSetLA, QStringLiteral("rbnTerm"), QStringLiteral("Terminal"));
    rbnTerm->setChecked(true);
    edtFA = makeHexEdit(pnlSetLA, QStringLiteral("edtFA"), QStringLiteral("!>AAAAAAAA;0;_"),
                        QStringLiteral("00000000"));
    edtLA = makeHexEdit(pnlSetLA, QStringLiteral("edtLA"), QStringLiteral("!>AA:AA;0;_"),
                        QStringLiteral("0101"));
    btnSetLA = makeButton(pnlSetLA, QStringLiteral("btnSetLA"), QStringLiteral("OK"));

    auto* grid = new QGridLayout(pnlSetLA);
    grid->addWidget(makeHeading(pnlSetLA, QStringLiteral("Set Logical Address:")), 0, 0, 1, 2);
    grid->addWidget(rbnContr, 1, 0);
    grid->addWidget(rbnTerm, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Fixed Address:"), pnlSetLA), 2, 0);
    grid->addWidget(edtFA, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("New LA:"), pnlSetLA), 3, 0);
    grid->addWidget(edtLA, 3, 1);
    grid->addWidget(btnSetLA, 4, 1);
    grid->setRowStretch(grid->rowCount(), 1); // controls stay at the top of the panel

    connect(rbnContr, &QRadioButton::clicked, this, &TForm1::rbnContrClick);
    connect(rbnTerm, &QRadioButton::clicked, this, &TForm1::rbnTermClick);
    startsOperation(btnSetLA);
    connect(btnSetLA, &QPushButton::clicked, this, &TForm1::btnSetLAClick);
    return pnlSetLA;
}

QWidget* TForm1::buildSetMessagePanel() {
    pnlSetMess = makePanel(tbsMisc, QStringLiteral("pnlSetMess"));
    edtMessLA = makeControllerLAEdit(pnlSetMess, QStringLiteral("edtMessLA"));
    medLine1 = makeMessageLine(pnlSetMess, QStringLiteral("medLine1"));
    medLine2 = makeMessageLine(pnlSetMess, QStringLiteral("medLine2"));
    medLine3 = makeMessageLine(pnlSetMess, QStringLiteral("medLine3"));
    btnSetMess = makeButton(pnlSetMess, QStringLiteral("btnSetMess"), QStringLiteral("OK"));

    auto* grid = new QGridLayout(pnlSetMess);
    grid->addWidget(makeHeading(pnlSetMess, QStringLiteral("Set Default Message:")), 0, 0);
    grid->addWidget(makeHeading(pnlSetMess, QStringLiteral("(QRM-C Only)")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Controller LA:"), pnlSetMess), 1, 0);
    grid->addWidget(edtMessLA, 1, 1);
    grid->addWidget(medLine1, 2, 0, 1, 2);
    grid->addWidget(medLine2, 3, 0, 1, 2);
    grid->addWidget(medLine3, 4, 0, 1, 2);
    grid->addWidget(btnSetMess, 5, 1);
    grid->setRowStretch(grid->rowCount(), 1); // controls stay at the top of the panel

    startsOperation(btnSetMess);
    connect(btnSetMess, &QPushButton::clicked, this, &TForm1::btnSetMessClick);
    return pnlSetMess;
}

QWidget* TForm1::buildSetPortPanel() {
    pnlSetPort = makePanel(tbsMisc, QStringLiteral("pnlSetPort"));
    edtPortLA = makeControllerLAEdit(pnlSetPort, QStringLiteral("edtPortLA"));
    rbRS232 = makeRadioButton(pnlSetPort, QStringLiteral("rbRS232"), QStringLiteral("RS232"));
    rbRS485 = makeRadioButton(pnlSetPort, QStringLiteral("rbRS485"), QStringLiteral("RS485"));
    rbRS485->setChecked(true);
    btnPort = makeButton(pnlSetPort, QStringLiteral("btnPort"), QStringLiteral("OK"));

    auto* grid = new QGridLayout(pnlSetPort);
    grid->addWidget(makeHeading(pnlSetPort, QStringLiteral("Configure Controller Port 2:")), 0, 0,
                    1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Controller LA:"), pnlSetPort), 1, 0);
    grid->addWidget(edtPortLA, 1, 1);
    grid->addWidget(rbRS232, 2, 0);
    grid->addWidget(rbRS485, 2, 1);
    grid->addWidget(btnPort, 3, 1);
    grid->setRowStretch(grid->rowCount(), 1); // controls stay at the top of the panel

    startsOperation(btnPort);
    connect(btnPort, &QPushButton::clicked, this, &TForm1::btnPortClick);
    return pnlSetPort;
}

QWidget* TForm1::buildClearMemoryPanel() {
    pnlClearMem = makePanel(tbsMisc, QStringLiteral("pnlClearMem"));
    edtClrLA = makeControllerLAEdit(pnlClearMem, QStringLiteral("edtClrLA"));
    ckbClrAll =
        makeCheckBox(pnlClearMem, QStringLiteral("ckbClrAll"), QStringLiteral("All Controllers"));
    btnClearMem = makeButton(pnlClearMem, QStringLiteral("btnClearMem"), QStringLiteral("OK"));

    auto* grid = new QGridLayout(pnlClearMem);
    grid->addWidget(makeHeading(pnlClearMem, QStringLiteral("Clear Controller Memory")), 0, 0, 1,
                    2);
    grid->addWidget(new QLabel(QStringLiteral("Controller LA:"), pnlClearMem), 1, 0);
    grid->addWidget(edtClrLA, 1, 1);
    grid->addWidget(ckbClrAll, 2, 0, 1, 2);
    grid->addWidget(btnClearMem, 3, 1);
    grid->setRowStretch(grid->rowCount(), 1); // controls stay at the top of the panel

    connect(ckbClrAll, &QCheckBox::clicked, this, &TForm1::ckbClrAllClick);
    startsOperation(btnClearMem);
    connect(btnClearMem, &QPushButton::clicked, this, &TForm1::btnClearMemClick);
    return pnlClearMem;
}

QWidget* TForm1::buildMiscPage() {
    tbsMisc = new QWidget;
    tbsMisc->setObjectName(QStringLiteral("tbsMisc"));
    auto* grid = new QGridLayout(tbsMisc);
    grid->addWidget(buildSetLAPanel(), 0, 0);
    grid->addWidget(buildSetMessagePanel(), 0, 1);
    grid->addWidget(buildSetPortPanel(), 1, 0);
    grid->addWidget(buildClearMemoryPanel(), 1, 1);
    return tbsMisc;
}

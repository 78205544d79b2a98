// Page "Misc": four maintenance panels, each with its own inputs and "OK" button. Each reads its
// fields into plain settings and hands them to the bus.

#include "miscPage.h"

#include "controls.h"
#include "maskedEdit.h"
#include "runButtons.h"

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

// One byte per character, as the units take them.
std::string fieldOf(const MaskedEdit* edit) {
    return edit->fieldText().toLatin1().toStdString();
}

} // namespace

MiscPage::MiscPage(BusController& bus, QWidget* parent)
    : QWidget(parent), bus_(bus), starters_(new RunButtons(bus, this)) {
    setObjectName(QStringLiteral("tbsMisc"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(buildSetLAPanel(), 0, 0);
    grid->addWidget(buildSetMessagePanel(), 0, 1);
    grid->addWidget(buildSetPortPanel(), 1, 0);
    grid->addWidget(buildClearMemoryPanel(), 1, 1);
}

QWidget* MiscPage::buildSetLAPanel() {
    QWidget* panel = makePanel(this, QStringLiteral("pnlSetLA"));
    rbnContr_ = makeRadioButton(panel, QStringLiteral("rbnContr"), QStringLiteral("Controller"));
    QRadioButton* rbnTerm =
        makeRadioButton(panel, QStringLiteral("rbnTerm"), QStringLiteral("Terminal"));
    rbnTerm->setChecked(true);
    edtFA_ = makeHexEdit(panel, QStringLiteral("edtFA"), QStringLiteral("!>AAAAAAAA;0;_"),
                         QStringLiteral("00000000"));
    edtLA_ = makeHexEdit(panel, QStringLiteral("edtLA"), QStringLiteral("!>AA:AA;0;_"),
                         QStringLiteral("0101"));
    QPushButton* ok = makeButton(panel, QStringLiteral("btnSetLA"), QStringLiteral("OK"));

    auto* grid = new QGridLayout(panel);
    grid->addWidget(makeHeading(panel, QStringLiteral("Set Logical Address:")), 0, 0, 1, 2);
    grid->addWidget(rbnContr_, 1, 0);
    grid->addWidget(rbnTerm, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Fixed Address:"), panel), 2, 0);
    grid->addWidget(edtFA_, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("New LA:"), panel), 3, 0);
    grid->addWidget(edtLA_, 3, 1);
    grid->addWidget(ok, 4, 1);
    grid->setRowStretch(grid->rowCount(), 1); // controls stay at the top of the panel

    connect(rbnContr_, &QRadioButton::clicked, this, [this] { unitKindClicked(true); });
    connect(rbnTerm, &QRadioButton::clicked, this, [this] { unitKindClicked(false); });
    starters_->add(ok);
    connect(ok, &QPushButton::clicked, this, [this] {
        bus_.setLogicalAddress({rbnContr_->isChecked(), fieldOf(edtFA_), fieldOf(edtLA_)});
    });
    return panel;
}

QWidget* MiscPage::buildSetMessagePanel() {
    QWidget* panel = makePanel(this, QStringLiteral("pnlSetMess"));
    edtMessLA_ = makeControllerLAEdit(panel, QStringLiteral("edtMessLA"));
    medLine1_ = makeMessageLine(panel, QStringLiteral("medLine1"));
    medLine2_ = makeMessageLine(panel, QStringLiteral("medLine2"));
    medLine3_ = makeMessageLine(panel, QStringLiteral("medLine3"));
    QPushButton* ok = makeButton(panel, QStringLiteral("btnSetMess"), QStringLiteral("OK"));

    auto* grid = new QGridLayout(panel);
    grid->addWidget(makeHeading(panel, QStringLiteral("Set Default Message:")), 0, 0);
    grid->addWidget(makeHeading(panel, QStringLiteral("(QRM-C Only)")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Controller LA:"), panel), 1, 0);
    grid->addWidget(edtMessLA_, 1, 1);
    grid->addWidget(medLine1_, 2, 0, 1, 2);
    grid->addWidget(medLine2_, 3, 0, 1, 2);
    grid->addWidget(medLine3_, 4, 0, 1, 2);
    grid->addWidget(ok, 5, 1);
    grid->setRowStretch(grid->rowCount(), 1); // controls stay at the top of the panel

    starters_->add(ok);
    connect(ok, &QPushButton::clicked, this, [this] {
        bus_.setDefaultMessage(
            {fieldOf(edtMessLA_), {fieldOf(medLine1_), fieldOf(medLine2_), fieldOf(medLine3_)}});
    });
    return panel;
}

QWidget* MiscPage::buildSetPortPanel() {
    QWidget* panel = makePanel(this, QStringLiteral("pnlSetPort"));
    edtPortLA_ = makeControllerLAEdit(panel, QStringLiteral("edtPortLA"));
    QRadioButton* rbRS232 =
        makeRadioButton(panel, QStringLiteral("rbRS232"), QStringLiteral("RS232"));
    rbRS485_ = makeRadioButton(panel, QStringLiteral("rbRS485"), QStringLiteral("RS485"));
    rbRS485_->setChecked(true);
    QPushButton* ok = makeButton(panel, QStringLiteral("btnPort"), QStringLiteral("OK"));

    auto* grid = new QGridLayout(panel);
    grid->addWidget(makeHeading(panel, QStringLiteral("Configure Controller Port 2:")), 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Controller LA:"), panel), 1, 0);
    grid->addWidget(edtPortLA_, 1, 1);
    grid->addWidget(rbRS232, 2, 0);
    grid->addWidget(rbRS485_, 2, 1);
    grid->addWidget(ok, 3, 1);
    grid->setRowStretch(grid->rowCount(), 1); // controls stay at the top of the panel

    starters_->add(ok);
    connect(ok, &QPushButton::clicked, this, [this] {
        bus_.configurePort2({fieldOf(edtPortLA_), rbRS485_->isChecked()});
    });
    return panel;
}

QWidget* MiscPage::buildClearMemoryPanel() {
    QWidget* panel = makePanel(this, QStringLiteral("pnlClearMem"));
    edtClrLA_ = makeControllerLAEdit(panel, QStringLiteral("edtClrLA"));
    ckbClrAll_ =
        makeCheckBox(panel, QStringLiteral("ckbClrAll"), QStringLiteral("All Controllers"));
    QPushButton* ok = makeButton(panel, QStringLiteral("btnClearMem"), QStringLiteral("OK"));

    auto* grid = new QGridLayout(panel);
    grid->addWidget(makeHeading(panel, QStringLiteral("Clear Controller Memory")), 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Controller LA:"), panel), 1, 0);
    grid->addWidget(edtClrLA_, 1, 1);
    grid->addWidget(ckbClrAll_, 2, 0, 1, 2);
    grid->addWidget(ok, 3, 1);
    grid->setRowStretch(grid->rowCount(), 1); // controls stay at the top of the panel

    connect(ckbClrAll_, &QCheckBox::clicked, this,
            [this] { edtClrLA_->setEnabled(!ckbClrAll_->isChecked()); });
    starters_->add(ok);
    connect(ok, &QPushButton::clicked, this, [this] {
        bus_.clearMemory({fieldOf(edtClrLA_), ckbClrAll_->isChecked()});
    });
    return panel;
}

void MiscPage::unitKindClicked(bool controller) {
    edtLA_->setEditMask(controller ? QStringLiteral("!>AA;0;_") : QStringLiteral("!>AA:AA;0;_"));
    edtLA_->setFieldText(controller ? QStringLiteral("01") : QStringLiteral("0101"));
}

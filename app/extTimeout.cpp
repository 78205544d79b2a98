#include "extTimeout.h"

#include "busController.h"
#include "controls.h"
#include "maskedEdit.h"
#include "runButtons.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace {

const QString kNoResult = QStringLiteral("0 msec");
const QString kProbing = QStringLiteral("....");

// Text that is not a number (an emptied field) counts as 0 rather than bringing back the
// previous value.
class TimeoutSpinEdit : public QSpinBox {
public:
    using QSpinBox::QSpinBox;

protected:
    void fixup(QString& input) const override {
        bool isNumber = false;
        input.trimmed().toInt(&isNumber);
        if (!isNumber) input = QStringLiteral("0");
    }
};

} // namespace

TfrmExtTimeout::TfrmExtTimeout(BusController& bus, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      bus_(bus) {
    setObjectName(QStringLiteral("frmExtTimeout"));
    setWindowTitle(QStringLiteral("Extend Timeout"));
    setModal(false);
    buildControls();
    connect(&bus_, &BusController::finished, this, [this](BusOperation kind) {
        if (kind == BusOperation::ResponseProbe) probeEnded();
    });
}

void TfrmExtTimeout::buildControls() {
    OKBtn = makeButton(this, QStringLiteral("OKBtn"), QStringLiteral("OK"));
    OKBtn->setDefault(true);
    CancelBtn = makeButton(this, QStringLiteral("CancelBtn"), QStringLiteral("Cancel"));
    sedtExtTimeout = new TimeoutSpinEdit(this);
    sedtExtTimeout->setObjectName(QStringLiteral("sedtExtTimeout"));
    sedtExtTimeout->setRange(0, kMaxTimeoutMs);
    sedtExtTimeout->setSingleStep(kTimeoutStepMs);
    sedtExtTimeout->setValue(0);
    btnCalcTimeout = makeButton(this, QStringLiteral("btnCalcTimeout"), QStringLiteral("Calc."));
    btnCalcTimeout->setAutoDefault(false);
    (new RunButtons(bus_, this))->add(btnCalcTimeout);
    edtTestTimeout = makeHexEdit(this, QStringLiteral("edtTestTimeout"),
                                 QStringLiteral("!>AA:AA;0;_"), QStringLiteral("0100"));
    lblTestTimeout = makeLabel(this, QStringLiteral("lblTestTimeout"), kNoResult);

    auto* explanation = new QLabel(
        QStringLiteral("This value is the minimum timeout required for the communications "
                       "protocol in Nexalo Upgrade.  This feature is typically required when "
                       "using RF modems or LinkPods.  (0 = use default timeouts)"),
        this);
    explanation->setAlignment(Qt::AlignCenter);
    explanation->setWordWrap(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(explanation, 0, 0, 1, 4);
    grid->addWidget(sedtExtTimeout, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("msec"), this), 1, 2);
    grid->addWidget(
        new QLabel(QStringLiteral("Probe a unit to calculate an approximate response time."), this),
        2, 0, 1, 4);
    grid->addWidget(edtTestTimeout, 3, 0);
    grid->addWidget(btnCalcTimeout, 3, 1);
    grid->addWidget(lblTestTimeout, 3, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    grid->addLayout(buttons, 4, 0, 1, 4);
    grid->setSizeConstraint(QLayout::SetFixedSize); // a dialog border: not resizable

    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, sedtExtTimeout);
    setTabOrder(sedtExtTimeout, btnCalcTimeout);
    setTabOrder(btnCalcTimeout, edtTestTimeout);

    connect(OKBtn, &QPushButton::clicked, this, &TfrmExtTimeout::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TfrmExtTimeout::CancelBtnClick);
    connect(btnCalcTimeout, &QPushButton::clicked, this, &TfrmExtTimeout::btnCalcTimeoutClick);
}

void TfrmExtTimeout::OKBtnClick() {
    sedtExtTimeout->interpretText(); // the value as shown, even if the field still has focus
    bus_.setMinimumTimeout(static_cast<std::uint16_t>(sedtExtTimeout->value()));
    hide();
}

void TfrmExtTimeout::CancelBtnClick() {
    hide();
}

void TfrmExtTimeout::reject() {
    CancelBtnClick();
}

// The probe holds the main window's port like any operation, so it is refused while another
// operation runs; the measured value is only shown; OK stores what the operator enters.
void TfrmExtTimeout::btnCalcTimeoutClick() {
    if (!bus_.probeResponseTime(edtTestTimeout->fieldText().toStdString())) return;
    sedtExtTimeout->setValue(0);
    lblTestTimeout->setText(kProbing);
}

void TfrmExtTimeout::probeEnded() {
    if (!bus_.probePortOpened()) CancelBtnClick();
    const std::string label = bus_.probeLabel();
    lblTestTimeout->setText(label.empty() ? kNoResult : QString::fromStdString(label));
}

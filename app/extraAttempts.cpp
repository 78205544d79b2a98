#include "extraAttempts.h"

#include "busController.h"
#include "controls.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

TfrmExtraAttempts::TfrmExtraAttempts(BusController& bus, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      bus_(bus) {
    setObjectName(QStringLiteral("frmExtraAttempts"));
    setWindowTitle(QStringLiteral("Extra Attempts"));
    setModal(false);
    buildControls();
}

void TfrmExtraAttempts::buildControls() {
    OKBtn = makeButton(this, QStringLiteral("OKBtn"), QStringLiteral("OK"));
    OKBtn->setDefault(true);
    CancelBtn = makeButton(this, QStringLiteral("CancelBtn"), QStringLiteral("Cancel"));
    sedtExtraAttempts = new QSpinBox(this);
    sedtExtraAttempts->setObjectName(QStringLiteral("sedtExtraAttempts"));
    sedtExtraAttempts->setRange(0, Transaction::kMaxExtraAttempts);

    auto* explanation = new QLabel(
        QStringLiteral("On a noisy line, a request whose reply is lost or damaged is sent again "
                       "up to this many more times wherever a repeat is safe: reads, polls, page "
                       "writes and erases. Resets, new LAs and clearing memory are never "
                       "repeated.  (0 = no extra attempts)"),
        this);
    explanation->setAlignment(Qt::AlignCenter);
    explanation->setWordWrap(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(explanation, 0, 0, 1, 3);
    grid->addWidget(sedtExtraAttempts, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("extra attempts"), this), 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    grid->addLayout(buttons, 2, 0, 1, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize); // a dialog border: not resizable

    setTabOrder(OKBtn, CancelBtn);
    setTabOrder(CancelBtn, sedtExtraAttempts);

    connect(OKBtn, &QPushButton::clicked, this, &TfrmExtraAttempts::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TfrmExtraAttempts::CancelBtnClick);
}

void TfrmExtraAttempts::OKBtnClick() {
    sedtExtraAttempts->interpretText(); // the value as shown, even if the field still has focus
    bus_.setExtraAttempts(sedtExtraAttempts->value());
    hide();
}

void TfrmExtraAttempts::CancelBtnClick() {
    hide();
}

void TfrmExtraAttempts::reject() {
    CancelBtnClick();
}

TfrmExtraAttempts* showExtraAttempts(QWidget& owner, BusController& bus) {
    auto* dialog = owner.findChild<TfrmExtraAttempts*>(QString(), Qt::FindDirectChildrenOnly);
    if (dialog == nullptr) dialog = new TfrmExtraAttempts(bus, &owner);
    // A value left in the field by Cancel is not in force: the dialog shows what is.
    dialog->sedtExtraAttempts->setValue(bus.extraAttempts());
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    return dialog;
}

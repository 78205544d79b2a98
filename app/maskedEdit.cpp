#include "maskedEdit.h"

MaskedEdit::MaskedEdit(const QString& mask, QWidget* parent) : QLineEdit(parent) {
    setEditMask(mask);
}

void MaskedEdit::setEditMask(const QString& mask) {
    mask_ = EditMask::parse(mask);
    setInputMask(mask_.inputMask);
}

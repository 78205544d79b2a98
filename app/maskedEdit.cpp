#include "maskedEdit.h"

MaskedEdit::MaskedEdit(const QString& mask, QWidget* parent)
    : MaskedEdit(mask, EditMask::Letters::Any, parent) {}

MaskedEdit::MaskedEdit(const QString& mask, EditMask::Letters letters, QWidget* parent)
    : QLineEdit(parent), letters_(letters) {
    setEditMask(mask);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize MaskedEdit::sizeHint() const {
    const int positions = static_cast<int>(mask_.literalAt.size());
    const int textWidth = fontMetrics().horizontalAdvance(QString(positions, QLatin1Char('W')));
    const QMargins margins = textMargins() + contentsMargins();
    constexpr int kFrameAndCursor = 12;
    return {textWidth + margins.left() + margins.right() + kFrameAndCursor,
            QLineEdit::sizeHint().height()};
}

void MaskedEdit::setEditMask(const QString& mask) {
    mask_ = EditMask::parse(mask, letters_);
    setInputMask(mask_.inputMask);
}

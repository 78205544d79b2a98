#pragma once
// An entry field with an edit mask; the program reads it through fieldText().

#include "editMask.h"

#include <QLineEdit>

class MaskedEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit MaskedEdit(const QString& mask, QWidget* parent = nullptr);
    // letters holds for every mask the field is given, now and later.
    MaskedEdit(const QString& mask, EditMask::Letters letters, QWidget* parent = nullptr);

    void setEditMask(const QString& mask);
    const EditMask& editMask() const { return mask_; }

    // The text as the program reads it: see EditMask.
    QString fieldText() const { return mask_.fieldText(displayText()); }
    // Entries in order; separators are placed by the mask.
    void setFieldText(const QString& text) { setText(text); }
    // Every required position filled.
    bool isComplete() const { return hasAcceptableInput(); }

    // As wide as the mask's positions, not wider.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    EditMask::Letters letters_ = EditMask::Letters::Any;
    EditMask mask_;
};

#include "controls.h"

#include "maskedEdit.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {
const QString kFixedPitchFamily = QStringLiteral("Courier New");
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QLabel* makeHeading(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QCheckBox* makeCheckBox(QWidget* parent, const QString& name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QRadioButton* makeRadioButton(QWidget* parent, const QString& name, const QString& caption) {
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    return button;
}

namespace {
MaskedEdit* makeEdit(QWidget* parent, const QString& name, const QString& mask, const QString& text,
                     EditMask::Letters letters) {
    auto* edit = new MaskedEdit(mask, letters, parent);
    edit->setObjectName(name);
    edit->setFieldText(text);
    return edit;
}
} // namespace

MaskedEdit* makeMaskedEdit(QWidget* parent, const QString& name, const QString& mask,
                           const QString& text) {
    return makeEdit(parent, name, mask, text, EditMask::Letters::Any);
}

MaskedEdit* makeHexEdit(QWidget* parent, const QString& name, const QString& mask,
                        const QString& text) {
    return makeEdit(parent, name, mask, text, EditMask::Letters::HexDigits);
}

QWidget* makePanel(QWidget* parent, const QString& name) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::StyledPanel);
    return panel;
}

QFont laEditFont() {
    QFont font(kFixedPitchFamily, 10);
    font.setBold(true);
    return font;
}

QFont fixedPitchFont() {
    return QFont(kFixedPitchFamily, 8);
}

#include "radioGroup.h"

#include <QAbstractButton>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setSpacing(0);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items.at(i), this);
        buttons_.addButton(button, i);
        layout->addWidget(button);
    }
    connect(&buttons_, &QButtonGroup::idClicked, this, &RadioGroup::itemClicked);
}

void RadioGroup::setItemIndex(int index) {
    if (QAbstractButton* button = buttons_.button(index)) button->setChecked(true);
}

QString RadioGroup::itemText(int index) const {
    const QAbstractButton* button = buttons_.button(index);
    return button ? button->text() : QString();
}

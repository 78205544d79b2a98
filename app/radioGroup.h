#pragma once
// A titled group of radio buttons read and set by the index of the chosen item.

#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

    int itemIndex() const { return buttons_.checkedId(); }
    void setItemIndex(int index);
    int count() const { return static_cast<int>(buttons_.buttons().size()); }
    QString itemText(int index) const;

signals:
    // The operator chose an item (not emitted by setItemIndex).
    void itemClicked(int index);

private:
    QButtonGroup buttons_;
};

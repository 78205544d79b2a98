#pragma once
// Small builders for the window's controls: each control gets its name, caption and parent
// in one call.

#include <QString>

class MaskedEdit;
class QCheckBox;
class QFont;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text);
QLabel* makeHeading(QWidget* parent, const QString& text);
QPushButton* makeButton(QWidget* parent, const QString& name, const QString& caption);
QCheckBox* makeCheckBox(QWidget* parent, const QString& name, const QString& caption);
QRadioButton* makeRadioButton(QWidget* parent, const QString& name, const QString& caption);
MaskedEdit* makeMaskedEdit(QWidget* parent, const QString& name, const QString& mask,
                           const QString& text);
// A box that holds an address: its letter-or-digit positions take hex digits only, at the key
// and on paste, as the commands it feeds read them.
MaskedEdit* makeHexEdit(QWidget* parent, const QString& name, const QString& mask,
                        const QString& text);
QWidget* makePanel(QWidget* parent, const QString& name);

QFont laEditFont();     // bold 10-point Courier New: the address fields
QFont fixedPitchFont(); // Courier New at the window's size: message lines

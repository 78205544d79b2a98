#pragma once
// The masked-edit convention of the window's entry fields, translated for QLineEdit.
//
// A mask reads "body;save;blank": in the body "!" moves the blanks of unfilled optional
// positions in front of the typed characters (a required position keeps its place, filled or
// not, so no character crosses a separator), ">" forces upper case, "A" is a required letter or
// digit, "c" an optional character of any kind, "0" a required digit, and anything else a literal
// separator; save is 1 when the separators belong to the text the program reads, and blank is
// the character shown for an empty position.

#include <QString>
#include <QVector>

struct EditMask {
    // What a letter-or-digit position ("A", "a") takes: any letter or digit, as the convention
    // has it, or hex digits only, for the boxes that hold an address. The shape, the
    // separators and the case conversion of the mask stay the same either way.
    enum class Letters { Any, HexDigits };

    QString source;                 // the mask as written, e.g. "!>AA:AA;0;_"
    QString inputMask;              // the same for QLineEdit::setInputMask
    QVector<bool> literalAt;        // per shown position: a separator rather than an entry
    QVector<bool> optionalAt;       // per shown position: an entry that may stay unfilled
    bool leadingBlanks = false;     // "!"
    bool saveLiterals = true;       // second field
    QChar blank = QLatin1Char('_'); // third field

    static EditMask parse(const QString& mask, Letters letters = Letters::Any);

    // The text the program reads, from the text as shown (blanks at unfilled positions).
    QString fieldText(const QString& shown) const;
};

#include "editMask.h"

namespace {

// Characters that QLineEdit's input mask gives a meaning; as separators they are escaped.
bool isInputMaskMeta(QChar c) {
    static const QString meta = QStringLiteral("AaNnXx90Dd#HhBb><!;[]{}\\");
    return meta.contains(c);
}

// Entry positions of the convention and their QLineEdit equivalents.
QChar entryFor(QChar c, EditMask::Letters letters) {
    const bool hex = letters == EditMask::Letters::HexDigits;
    switch (c.unicode()) {
    case 'A':
        return QLatin1Char(hex ? 'H' : 'N'); // letter or digit, required
    case 'a':
        return QLatin1Char(hex ? 'h' : 'n'); // letter or digit, optional
    case 'C':
        return QLatin1Char('X'); // any character, required
    case 'c':
        return QLatin1Char('x'); // any character, optional
    case '0':
        return QLatin1Char('9'); // digit, required
    case '9':
        return QLatin1Char('0'); // digit, optional
    case 'L':
        return QLatin1Char('A'); // letter, required
    case 'l':
        return QLatin1Char('a'); // letter, optional
    case '#':
        return QLatin1Char('#'); // digit or sign, optional
    default:
        return QChar();
    }
}

void appendLiteral(EditMask& mask, QChar c) {
    if (isInputMaskMeta(c)) mask.inputMask += QLatin1Char('\\');
    mask.inputMask += c;
    mask.literalAt.push_back(true);
    mask.optionalAt.push_back(false);
}

// Entry positions that may stay unfilled: "a", "c", "9", "l" and "#".
bool isOptionalEntry(QChar c) {
    return c.isLower() || c == QLatin1Char('9') || c == QLatin1Char('#');
}

void translateBody(EditMask& mask, const QString& body, EditMask::Letters letters) {
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        if (c == QLatin1Char('!')) {
            mask.leadingBlanks = true;
        } else if (c == QLatin1Char('<') && i + 1 < body.size() && body.at(i + 1) == '>') {
            mask.inputMask += QLatin1Char('!'); // case conversion off
            ++i;
        } else if (c == QLatin1Char('>') || c == QLatin1Char('<')) {
            mask.inputMask += c;
        } else if (c == QLatin1Char('\\') && i + 1 < body.size()) {
            appendLiteral(mask, body.at(++i));
        } else if (const QChar entry = entryFor(c, letters); !entry.isNull()) {
            mask.inputMask += entry;
            mask.literalAt.push_back(false);
            mask.optionalAt.push_back(isOptionalEntry(c));
        } else {
            appendLiteral(mask, c);
        }
    }
}

} // namespace

EditMask EditMask::parse(const QString& mask, Letters letters) {
    EditMask result;
    result.source = mask;
    const QStringList fields = mask.split(QLatin1Char(';'));
    if (fields.size() > 1) result.saveLiterals = fields.at(1) != QLatin1String("0");
    if (fields.size() > 2 && !fields.at(2).isEmpty()) result.blank = fields.at(2).at(0);
    translateBody(result, fields.at(0), letters);
    result.inputMask += QLatin1Char(';');
    result.inputMask += result.blank;
    return result;
}

QString EditMask::fieldText(const QString& shown) const {
    QString text;
    for (qsizetype i = 0; i < literalAt.size(); ++i) {
        const QChar c = i < shown.size() ? shown.at(i) : blank;
        if (literalAt.at(i)) {
            if (saveLiterals) text += i < shown.size() ? c : QChar(QLatin1Char(' '));
            continue;
        }
        text += c == blank ? QChar(QLatin1Char(' ')) : c;
    }
    if (!leadingBlanks) return text;
    // The optional positions, in order, as they stand in text; their typed characters move
    // behind their blanks.
    QList<qsizetype> optional;
    for (qsizetype i = 0, at = 0; i < literalAt.size(); ++i) {
        if (literalAt.at(i) && !saveLiterals) continue;
        if (optionalAt.at(i)) optional << at;
        ++at;
    }
    QString typed;
    for (const qsizetype at : optional)
        if (text.at(at) != QLatin1Char(' ')) typed += text.at(at);
    const qsizetype blanks = optional.size() - typed.size();
    for (qsizetype k = 0; k < optional.size(); ++k)
        text[optional.at(k)] = k < blanks ? QChar(QLatin1Char(' ')) : typed.at(k - blanks);
    return text;
}

#include "editMask.h"

namespace {

// Characters that QLineEdit's input mask gives a meaning; as separators they are escaped.
bool isInputMaskMeta(QChar c) {
    static const QString meta = QStringLiteral("AaNnXx90Dd#HhBb><!;[]{}\\");
    return meta.contains(c);
}

// Entry positions of the convention and their QLineEdit equivalents.
QChar entryFor(QChar c) {
    switch (c.unicode()) {
    case 'A':
        return QLatin1Char('N'); // letter or digit, required
    case 'a':
        return QLatin1Char('n'); // letter or digit, optional
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
}

void translateBody(EditMask& mask, const QString& body) {
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
        } else if (const QChar entry = entryFor(c); !entry.isNull()) {
            mask.inputMask += entry;
            mask.literalAt.push_back(false);
        } else {
            appendLiteral(mask, c);
        }
    }
}

} // namespace

EditMask EditMask::parse(const QString& mask) {
    EditMask result;
    result.source = mask;
    const QStringList fields = mask.split(QLatin1Char(';'));
    if (fields.size() > 1) result.saveLiterals = fields.at(1) != QLatin1String("0");
    if (fields.size() > 2 && !fields.at(2).isEmpty()) result.blank = fields.at(2).at(0);
    translateBody(result, fields.at(0));
    result.inputMask += QLatin1Char(';');
    result.inputMask += result.blank;
    return result;
}

QString EditMask::fieldText(const QString& shown) const {
    QString entries;
    for (qsizetype i = 0; i < literalAt.size(); ++i) {
        if (literalAt.at(i)) continue;
        const QChar c = i < shown.size() ? shown.at(i) : blank;
        entries += c == blank ? QChar(QLatin1Char(' ')) : c;
    }
    if (leadingBlanks) {
        QString typed = entries;
        typed.remove(QLatin1Char(' '));
        entries = QString(entries.size() - typed.size(), QLatin1Char(' ')) + typed;
    }
    if (!saveLiterals) return entries;
    QString result;
    qsizetype next = 0;
    for (qsizetype i = 0; i < literalAt.size(); ++i) {
        if (literalAt.at(i))
            result += i < shown.size() ? shown.at(i) : QChar(QLatin1Char(' '));
        else
            result += entries.at(next++);
    }
    return result;
}

// What each entry field yields to the program after the operator types into it.

#include "maskedEdit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QtTest>

class MaskedEditTest : public QObject {
    Q_OBJECT

    // Replaces the whole field with what an operator types.
    static void typeInto(MaskedEdit& edit, const QString& keys) {
        edit.setFocus();
        edit.selectAll();
        QTest::keyClicks(&edit, keys);
    }

    // Replaces the whole field with the clipboard's text, as the operator's Ctrl+V does.
    static void pasteInto(MaskedEdit& edit, const QString& text) {
        QGuiApplication::clipboard()->setText(text);
        edit.setFocus();
        edit.selectAll();
        QTest::keySequence(&edit, QKeySequence::Paste);
    }

private slots:
    void laFieldForcesUpperCase() {
        MaskedEdit edit(QStringLiteral("!>AA;0;_"));
        edit.setFieldText(QStringLiteral("00"));
        typeInto(edit, QStringLiteral("7f"));
        QCOMPARE(edit.fieldText(), QStringLiteral("7F"));
        QVERIFY(edit.isComplete());
    }

    void addressFieldDropsTheSeparator() {
        MaskedEdit edit(QStringLiteral("!>AA:AA;0;_"));
        edit.setFieldText(QStringLiteral("FFFF"));
        QCOMPARE(edit.displayText(), QStringLiteral("FF:FF"));
        typeInto(edit, QStringLiteral("02ff"));
        QCOMPARE(edit.fieldText(), QStringLiteral("02FF"));
        QCOMPARE(edit.displayText(), QStringLiteral("02:FF"));
    }

    // "!" moves the blanks of optional positions only: an unfilled required position stays a
    // blank where it is, so a partly typed address never shifts a character from the terminal
    // pair into the controller pair.
    void partlyFilledFieldsKeepEveryCharacterInItsPosition() {
        MaskedEdit la(QStringLiteral("!>AA;0;_"));
        typeInto(la, QStringLiteral("5"));
        QCOMPARE(la.fieldText(), QStringLiteral("5 "));
        QVERIFY(!la.isComplete());

        MaskedEdit address(QStringLiteral("!>AA:AA;0;_"));
        typeInto(address, QStringLiteral("0a1"));
        QCOMPARE(address.fieldText(), QStringLiteral("0A1 "));
        QCOMPARE(address.fieldText().left(2), QStringLiteral("0A"));

        MaskedEdit fixed(QStringLiteral("!>AAAAAAAA;0;_"));
        typeInto(fixed, QStringLiteral("c0ffe"));
        QCOMPARE(fixed.fieldText(), QStringLiteral("C0FFE   "));

        MaskedEdit cycles(QStringLiteral("0000;1;_"));
        typeInto(cycles, QStringLiteral("12"));
        QCOMPARE(cycles.fieldText(), QStringLiteral("12  "));
    }

    void optionalPositionsOfALeadingBlanksMask() {
        const EditMask mask = EditMask::parse(QStringLiteral("!AA:cc;1;_"));
        QCOMPARE(mask.fieldText(QStringLiteral("12:x_")), QStringLiteral("12: x"));
        QCOMPARE(mask.fieldText(QStringLiteral("1_:__")), QStringLiteral("1 :  "));
    }

    // An address box keeps the hex digits of what is typed or pasted and drops the rest; its
    // shape, separator and upper case are those of the same mask without the restriction.
    void hexBoxTakesHexDigitsOnly() {
        const auto hex = EditMask::Letters::HexDigits;
        MaskedEdit la(QStringLiteral("!>AA;0;_"), hex);
        typeInto(la, QStringLiteral("G1ZZ"));
        QCOMPARE(la.fieldText(), QStringLiteral("1 "));
        pasteInto(la, QStringLiteral("G1ZZ"));
        QCOMPARE(la.fieldText(), QStringLiteral("1 "));
        typeInto(la, QStringLiteral("x7fq"));
        QCOMPARE(la.fieldText(), QStringLiteral("7F"));

        MaskedEdit address(QStringLiteral("!>AA:AA;0;_"), hex);
        pasteInto(address, QStringLiteral("0z:0f"));
        QCOMPARE(address.displayText(), QStringLiteral("0_:0F")); // the colon keeps its place
        typeInto(address, QStringLiteral("ZZ:QQ"));
        QCOMPARE(address.fieldText(), QStringLiteral("    "));
        QVERIFY(!address.isComplete());
        typeInto(address, QStringLiteral("02ff"));
        QCOMPARE(address.displayText(), QStringLiteral("02:FF"));

        MaskedEdit fixed(QStringLiteral("!>AAAAAAAA;0;_"), hex);
        pasteInto(fixed, QStringLiteral("GHIJ0205"));
        QCOMPARE(fixed.fieldText(), QStringLiteral("0205    "));
        pasteInto(fixed, QStringLiteral("c0ffee12"));
        QCOMPARE(fixed.fieldText(), QStringLiteral("C0FFEE12"));

        // A mask given later keeps to hex digits too.
        address.setEditMask(QStringLiteral("!>AA;0;_"));
        typeInto(address, QStringLiteral("kb"));
        QCOMPARE(address.fieldText(), QStringLiteral("B "));
        QCOMPARE(EditMask::parse(QStringLiteral("!>AA:AA;0;_"), hex).inputMask.count('H'), 4);
    }

    void digitFieldTakesDigitsOnly() {
        MaskedEdit cycles(QStringLiteral("0000;1;_"));
        cycles.setFieldText(QStringLiteral("0001"));
        typeInto(cycles, QStringLiteral("1x2y34"));
        QCOMPARE(cycles.fieldText(), QStringLiteral("1234"));
        pasteInto(cycles, QStringLiteral("a9b8"));
        QCOMPARE(cycles.fieldText(), QStringLiteral("98  "));
    }

    void separatorsKeptWhenTheMaskSaysSo() {
        MaskedEdit edit(QStringLiteral("!>AA:AA;1;_"));
        edit.setFieldText(QStringLiteral("12AB"));
        QCOMPARE(edit.fieldText(), QStringLiteral("12:AB"));
    }

    void messageLineKeepsItsSixteenPositions() {
        MaskedEdit line(QStringLiteral("cccccccccccccccc;1;_"));
        line.setFieldText(QString(16, QLatin1Char(' ')));
        QCOMPARE(line.fieldText(), QString(16, QLatin1Char(' ')));
        typeInto(line, QStringLiteral("Door a-1 open"));
        QCOMPARE(line.fieldText(), QStringLiteral("Door a-1 open   "));
        typeInto(line, QStringLiteral("0123456789abcdefXYZ"));
        QCOMPARE(line.fieldText(), QStringLiteral("0123456789abcdef"));
    }

    void maskCanBeSwitched() {
        MaskedEdit edit(QStringLiteral("!>AA:AA;0;_"));
        edit.setFieldText(QStringLiteral("0101"));
        edit.setEditMask(QStringLiteral("!>AA;0;_"));
        edit.setFieldText(QStringLiteral("01"));
        QCOMPARE(edit.fieldText(), QStringLiteral("01"));
        QCOMPARE(edit.displayText(), QStringLiteral("01"));
    }

    // Characters that QLineEdit gives a meaning stay literal separators of the mask.
    void separatorThatIsAnInputMaskCharacter() {
        const EditMask mask = EditMask::parse(QStringLiteral("AA[AA;1;*"));
        QCOMPARE(mask.inputMask, QStringLiteral("NN\\[NN;*"));
        QCOMPARE(mask.fieldText(QStringLiteral("ab[*d")), QStringLiteral("ab[ d"));
    }
};

QTEST_MAIN(MaskedEditTest)
#include "maskedEditTest.moc"

// What each entry field yields to the program after the operator types into it.

#include "maskedEdit.h"

#include <QtTest>

class MaskedEditTest : public QObject {
    Q_OBJECT

    // Replaces the whole field with what an operator types.
    static void typeInto(MaskedEdit& edit, const QString& keys) {
        edit.setFocus();
        edit.selectAll();
        QTest::keyClicks(&edit, keys);
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

    void digitFieldTakesDigitsOnly() {
        MaskedEdit cycles(QStringLiteral("0000;1;_"));
        cycles.setFieldText(QStringLiteral("0001"));
        typeInto(cycles, QStringLiteral("1x2y34"));
        QCOMPARE(cycles.fieldText(), QStringLiteral("1234"));
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

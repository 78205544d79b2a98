// The documentation's pictures: nexalo-screenshots run as a process writes one PNG per page of
// the window (the Site page with a plan) and one of the Extend Timeout dialog, each the size of
// what it shows.

#include "extTimeout.h"
#include "fwUpgrade.h"
#include "tests/support/namedControl.h"

#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Enough different colours that the picture holds drawn controls and text, not a bare fill.
int colourCount(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    return int(colours.size());
}

} // namespace

class ScreenshotTest : public QObject {
    Q_OBJECT
private slots:
    void eachPictureHasTheSizeOfWhatItShows() {
        QTemporaryDir folder;
        QProcess program;
        program.start(QStringLiteral(NEXALO_SCREENSHOTS), {folder.path()});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY2(program.exitCode() == 0, program.readAllStandardError().constData());

        // The sizes the window and its dialog take on when they are shown.
        TForm1 form;
        form.show();
        named<TfrmExtTimeout>(form, "frmExtTimeout")->show();
        QApplication::processEvents();
        const QSize window = form.size();
        const QSize dialog = named<TfrmExtTimeout>(form, "frmExtTimeout")->size();
        const QStringList pages = {"firmware-upgrade.png", "system-tools.png", "misc.png",
                                   "site.png"};
        QList<QImage> pageImages;
        for (const QString& name : pages) {
            const QImage image(folder.filePath(name));
            QVERIFY2(!image.isNull(), qPrintable(name));
            QCOMPARE(image.size(), window);
            QVERIFY2(colourCount(image) > 8, qPrintable(name));
            pageImages.append(image);
        }
        // Each picture shows its own page, not the first one again.
        for (int page = 0; page < pages.size(); ++page)
            for (int other = page + 1; other < pages.size(); ++other)
                QVERIFY2(pageImages[page] != pageImages[other], qPrintable(pages[page]));

        const QImage timeout(folder.filePath("extend-timeout.png"));
        QVERIFY(!timeout.isNull());
        QCOMPARE(timeout.size(), dialog);
        QVERIFY(colourCount(timeout) > 8);
    }

    void aFolderThatCannotBeWrittenFails() {
        QTemporaryDir folder;
        QFile blocker(folder.filePath("taken"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QProcess program;
        program.start(QStringLiteral(NEXALO_SCREENSHOTS), {folder.filePath("taken")});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 1);
    }
};

QTEST_MAIN(ScreenshotTest)
#include "screenshotTest.moc"

#include "windowShots.h"

#include "extTimeout.h"
#include "fwUpgrade.h"
#include "tests/support/namedControl.h"

#include <QApplication>
#include <QDir>
#include <QTabWidget>

#include <cstdio>

namespace {

// File names in the order of the pages of pgUpgrade.
const char* const kPageFiles[] = {"firmware-upgrade.png", "system-tools.png", "misc.png",
                                  "site.png"};

// Lets layouts settle and pending paints run before a widget is drawn off screen.
void settle() {
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

WindowShot shoot(QWidget& widget, const QString& fileName) {
    settle();
    return {fileName, widget.grab().toImage(), widget.size()};
}

} // namespace

QList<WindowShot> renderWindowShots(TForm1& form) {
    QList<WindowShot> shots;
    form.show();
    const int pages = named<QTabWidget>(form, "pgUpgrade")->count();
    for (int page = 0; page < pages && page < int(std::size(kPageFiles)); ++page) {
        named<QTabWidget>(form, "pgUpgrade")->setCurrentIndex(page);
        shots.append(shoot(form, QString::fromLatin1(kPageFiles[page])));
    }
    named<QTabWidget>(form, "pgUpgrade")->setCurrentIndex(0);

    named<TfrmExtTimeout>(form, "frmExtTimeout")->show();
    shots.append(
        shoot(*named<TfrmExtTimeout>(form, "frmExtTimeout"), QStringLiteral("extend-timeout.png")));
    named<TfrmExtTimeout>(form, "frmExtTimeout")->hide();
    return shots;
}

bool saveWindowShots(const QList<WindowShot>& shots, const QString& folder) {
    QDir().mkpath(folder);
    bool allSaved = true;
    for (const WindowShot& shot : shots) {
        const QString path = QDir(folder).filePath(shot.fileName);
        if (!shot.image.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            allSaved = false;
        }
    }
    return allSaved;
}

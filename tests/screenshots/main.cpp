// nexalo-screenshots FOLDER: draws the pages of the window and the Extend Timeout dialog on the
// offscreen platform and writes them as PNG files into FOLDER (docs/screenshots/ for the
// README, see scripts/screenshots.sh).

#include "fwUpgrade.h"
#include "windowShots.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[]) {
    // Pictures must not depend on the desktop the program happens to run under.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("usage: nexalo-screenshots FOLDER\n", stderr);
        return 2;
    }
    TForm1 form;
    return saveWindowShots(renderWindowShots(form), QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}

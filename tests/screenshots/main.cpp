// nexalo-screenshots FOLDER: draws the pages of the window and the Extend Timeout dialog on the
// offscreen platform and writes them as PNG files into FOLDER (docs/screenshots/ for the
// README, see scripts/screenshots.sh). The Site page shows the plan of the demo network, which
// the simulator serves meanwhile.

#include "demoSite.h"
#include "fwUpgrade.h"
#include "windowShots.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char* argv[]) {
    // Pictures must not depend on the desktop the program happens to run under.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fputs("usage: nexalo-screenshots FOLDER\n", stderr);
        return 2;
    }
    // The plan works in a folder of its own: the folder named is taken before it moves there.
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    TForm1 form;
    DemoSite site;
    if (const auto failed = site.plan(form)) {
        std::fprintf(stderr, "the demo site was not planned: %s\n", qPrintable(*failed));
        return 1;
    }
    return saveWindowShots(renderWindowShots(form), folder) ? 0 : 1;
}

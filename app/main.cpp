// Start-up: the main window (which creates the Extend Timeout dialog hidden) and the event
// loop until the main window closes.

#include "fwUpgrade.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    TForm1 form;
    form.show();
    return application.exec();
}

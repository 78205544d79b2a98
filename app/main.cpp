// Start-up: the main window (which creates the Extend Timeout dialog hidden) and the event
// loop until the main window closes.

#include "fwUpgrade.h"

#include <QApplication>
#include <QtGlobal>

#include <exception>

namespace {

// Handlers catch their own failures; this is the last line, so that nothing thrown ever
// unwinds through the event loop.
class NexaloApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            qCritical("Unhandled error: %s", error.what());
        } catch (...) {
            qCritical("Unhandled error");
        }
        return false;
    }
};

} // namespace

int main(int argc, char* argv[]) {
    NexaloApplication application(argc, argv);
    // Ties the window to the installed desktop entry, whose icon the desktop then shows for it.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.nexalo.FirmwareUpgrade"));
    TForm1 form;
    form.show();
    return application.exec();
}

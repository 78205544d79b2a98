// The bus's questions answered by the window's boxes and file dialog while the run waits; the
// pages show the bus's lines themselves.

#include "fwUpgrade.h"

#include "appVersion.h"

#include <QLabel>
#include <QTimer>

void TForm1::connectBus() {
    BusController* bus = &bus_;
    connect(bus, &BusController::messageAsked, this, [this](MessageKind kind, const QString& text) {
        switch (kind) {
        case MessageKind::Error:
            showMessageBox(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok);
            break;
        case MessageKind::Information:
            showMessageBox(QMessageBox::Information, QStringLiteral("Information"), text,
                           QMessageBox::Ok);
            break;
        case MessageKind::Plain:
            showMessageBox(QMessageBox::NoIcon, QString::fromLatin1(kApplicationName), text,
                           QMessageBox::Ok);
            break;
        }
    });
    connect(bus, &BusController::confirmAsked, this, [this](const QString& text, bool* yes) {
        *yes = showMessageBox(QMessageBox::Information, QStringLiteral("Information"), text,
                              QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    });
    connect(bus, &BusController::firmwareFileAsked, this,
            [this](QString* path) { *path = askFirmwareFileName(); });
    // After every line the run wrote and its page's end of it.
    connect(bus, &BusController::operationEnded, this, [this] {
        if (closePending_) QTimer::singleShot(0, this, &QWidget::close);
    });
}

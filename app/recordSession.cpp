#include "recordSession.h"

#include "appVersion.h"
#include "fwUpgrade.h"
#include "trust/folderFirmware.h"
#include "trust/history.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>

namespace {

const QString kRecordingSuffix = QStringLiteral(" - Recording Session");
constexpr char kWindowOperation[] = "window";

QAction* recordAction(TForm1& owner) {
    return owner.findChild<QAction*>(QStringLiteral("RecordSession1"));
}

// What the operator gave as the port: the device or network address, else COMn.
std::string portName(const TSerialPort& port) {
    if (!port.devicePath().empty()) return port.devicePath();
    return "COM" + std::to_string(static_cast<int>(port.ComPort()) + 1);
}

capture::Header headerOf(TForm1& owner) {
    capture::Header header;
    header.tool = "nexalo-upgrade ";
    header.tool.append(kApplicationVersion);
    header.port = portName(owner.bus().port());
    header.baud = baudRateBitsPerSecond(owner.bus().port().ComPortSpeed());
    header.minTimeoutMs = owner.bus().link().minimumTimeout();
    header.extraAttempts = owner.bus().link().extraAttempts();
    header.operation = kWindowOperation;
    header.firmware = FolderFirmwareDigests();
    header.started = HistoryTimeNow();
    return header;
}

void showRecording(TForm1& owner, bool on) {
    QString caption = owner.windowTitle();
    caption.remove(kRecordingSuffix);
    owner.setWindowTitle(on ? caption + kRecordingSuffix : caption);
    if (QAction* action = recordAction(owner)) action->setChecked(on);
}

} // namespace

bool startRecordSession(TForm1& owner, const QString& path) {
    try {
        owner.bus().session().startCapture(path.toStdString(), headerOf(owner));
        owner.bus().session().capture()->operationStart(kWindowOperation);
    } catch (const capture::WriteError& error) {
        owner.bus().session().stopCapture();
        owner.showMessageBox(QMessageBox::Critical, QStringLiteral("Record Session"),
                             QString::fromStdString(error.what()), QMessageBox::Ok);
        showRecording(owner, false);
        return false;
    }
    showRecording(owner, true);
    owner.bus().status("Recording the session into " + path.toStdString());
    return true;
}

void stopRecordSession(TForm1& owner) {
    if (capture::Writer* writer = owner.bus().session().capture()) {
        const std::string path = writer->path();
        try {
            writer->operationEnd(std::nullopt);
        } catch (const capture::WriteError&) {
            // What was written stands: a reader passes over a torn last line.
        }
        owner.bus().session().stopCapture();
        owner.bus().status("Session recorded into " + path);
    }
    showRecording(owner, false);
}

void toggleRecordSession(TForm1& owner) {
    if (owner.bus().session().capture() != nullptr) {
        stopRecordSession(owner);
        return;
    }
    const QString path = QFileDialog::getSaveFileName(
        &owner, QStringLiteral("Record Session"), QDir::current().filePath("session.jsonl"),
        QStringLiteral("Captures (*.jsonl);;All Files (*)"));
    if (path.isEmpty()) {
        showRecording(owner, false);
        return;
    }
    startRecordSession(owner, path);
}

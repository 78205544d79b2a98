#include "busController.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>
#include <QThread>

namespace {

constexpr std::uint32_t kEndWaitSliceMs = 10;

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

BusController::BusController(QObject* parent, Clock& clock, std::unique_ptr<SerialBackend> backend)
    : QObject(parent), session_(*this, clock, std::move(backend)) {
    configureForTool(session_.port());
    // The phase changes on the worker; what may start is told on the controller's thread.
    session_.control().setObserver(
        [this](RunPhase) { onOwnThread([this] { emit phaseChanged(); }); });
}

BusController::~BusController() {
    shutDown();
}

void BusController::shutDown() {
    quiet_ = true;
    session_.control().setObserver({});
    session_.control().requestStopNow();
    while (!session_.waitFor(kEndWaitSliceMs))
        QCoreApplication::processEvents();
}

bool BusController::run(BusOperation kind, Work work, RunLog log) {
    return start(kind, std::move(work), log, {});
}

bool BusController::start(BusOperation kind, Work work, RunLog log, std::function<void()> settle) {
    if (!canStart()) return false;
    // Filled on the worker, read on this thread once the session has told the run's end.
    auto concluded = std::make_shared<std::optional<Outcome>>();
    running_ = kind;
    const bool began =
        session_.start([work = std::move(work),
                        concluded](OperationContext& context) { *concluded = work(context); },
                       log,
                       [this, kind, concluded, settle = std::move(settle)](const Outcome& ran) {
                           onOwnThread([this, kind, concluded, ran, settle] {
                               if (settle) settle();
                               // An error that ended the run early stands over what the work
                               // concluded.
                               ended(kind, ran.succeeded() ? concluded->value_or(ran) : ran);
                           });
                       });
    if (!began) {
        running_ = BusOperation::None;
        emit phaseChanged();
        return false;
    }
    emit started(kind);
    emit phaseChanged();
    return true;
}

// Queued after every line the operation wrote, so they are all shown by now.
void BusController::ended(BusOperation kind, const Outcome& outcome) {
    running_ = BusOperation::None;
    emit phaseChanged();
    emit finished(kind, outcome);
    emit operationEnded();
}

StopLevel BusController::stop() {
    return session_.control().requestStop();
}

void BusController::stopNow() {
    session_.control().requestStopNow();
}

void BusController::skip() {
    session_.control().requestSkip();
}

int BusController::extraAttempts() const {
    return session_.link().extraAttempts();
}

void BusController::setExtraAttempts(int attempts) {
    session_.link().setExtraAttempts(attempts);
}

void BusController::setMinimumTimeout(std::uint16_t ms) {
    session_.link().setMinimumTimeout(ms);
}

std::string BusController::portName() const {
    TSerialPort& port = session_.port();
    if (!port.devicePath().empty()) return port.devicePath();
    return "COM" + std::to_string(int(port.ComPort()) + 1);
}

void BusController::onOwnThread(std::function<void()> f) {
    if (QThread::currentThread() == thread()) {
        f();
        return;
    }
    QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
}

void BusController::askOnOwnThread(const std::function<void()>& f) {
    const auto ask = [this, &f] {
        if (!quiet_) f();
    };
    if (QThread::currentThread() == thread()) {
        ask();
        return;
    }
    QMetaObject::invokeMethod(this, ask, Qt::BlockingQueuedConnection);
}

void BusController::status(std::string_view line) {
    onOwnThread([this, text = toQString(line)] { emit statusLine(text); });
}

void BusController::report(std::string_view line) {
    onOwnThread([this, text = toQString(line)] { emit reportLine(text); });
}

void BusController::clearStatus() {
    onOwnThread([this] { emit statusCleared(); });
}

void BusController::clearReport() {
    onOwnThread([this] { emit reportCleared(); });
}

void BusController::replaceLastReportLine(std::string_view line) {
    onOwnThread([this, text = toQString(line)] { emit lastReportLineReplaced(text); });
}

void BusController::progress(int position, int min, int max) {
    onOwnThread([this, position, min, max] { emit progressed(position, min, max); });
}

void BusController::setLabel(ConsoleLabel label, std::string_view line) {
    onOwnThread([this, label, text = toQString(line)] { emit labelSet(label, text); });
}

void BusController::replaceReport(std::string_view text) {
    QStringList lines = toQString(text).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.constLast().isEmpty()) lines.removeLast();
    onOwnThread([this, lines] { emit reportReplaced(lines); });
}

void BusController::message(MessageKind kind, std::string_view line) {
    askOnOwnThread([this, kind, text = toQString(line)] { emit messageAsked(kind, text); });
}

bool BusController::confirm(std::string_view question) {
    bool yes = false;
    askOnOwnThread([this, &yes, text = toQString(question)] { emit confirmAsked(text, &yes); });
    return yes;
}

std::optional<std::string> BusController::chooseFirmwareFile() {
    QString path;
    askOnOwnThread([this, &path] { emit firmwareFileAsked(&path); });
    if (path.isEmpty()) return std::nullopt;
    return QFile::encodeName(path).toStdString();
}

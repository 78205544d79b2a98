#include "networkBackend.h"

#include "connectFailure.h"

#include <algorithm>
#include <thread>

namespace {

// Line bytes taken but not yet sent, beyond which a write takes no more until they are out.
constexpr std::size_t kMostOutgoing = 65536;
constexpr int kReceiveChunk = 4096;

void pauseBriefly() {
    std::this_thread::sleep_for(std::chrono::microseconds(500));
}

} // namespace

NetworkBackend::~NetworkBackend() {
    close();
}

bool NetworkBackend::open(const std::string& device) {
    close();
    fault_.clear();
    openFailure_.clear();
    address_ = device;
    const std::optional<NetworkAddress> where = parseNetworkAddress(device);
    if (!where) {
        openFailure_ = describeMalformedAddress(device);
        return false;
    }
    const Deadline deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kConnectTimeoutMs);
    const net::Connection connection = net::connectTo(where->host, where->port, kConnectTimeoutMs);
    if (connection.handle == net::kNoSocket) {
        openFailure_ = describeConnectFailure(device, connection, kConnectTimeoutMs);
        return false;
    }
    socket_ = connection.handle;
    if (setUp(deadline) && !closedAtOnce()) return true;
    close();
    return false;
}

// ser2net, for one, tells a second client "Port already in use" and closes: an open failure with
// the server's words, not a line lost at the first request.
bool NetworkBackend::closedAtOnce() {
    const auto settled = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSettleMs);
    for (auto now = std::chrono::steady_clock::now(); now < settled && fault_.empty();
         now = std::chrono::steady_clock::now())
        awaitBytes(static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(settled - now).count() + 1));
    if (fault_.empty()) return false;
    failOpen(describeTurnedAway(address_, receivedText(), fault_));
    return true;
}

void NetworkBackend::failOpen(const std::string& why) {
    openFailure_ = why;
}

std::string NetworkBackend::receivedText() const {
    constexpr std::size_t kLongestText = 120;
    std::string text;
    for (const std::uint8_t byte : input_)
        if (byte >= 0x20 && byte < 0x7F && text.size() < kLongestText)
            text.push_back(static_cast<char>(byte));
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

// A bare close would lose the run's last frames whenever the server has sent anything not yet
// read (an acknowledgement, a late reply): see net::closeGracefully.
void NetworkBackend::close() {
    if (socket_ != net::kNoSocket && fault_.empty()) {
        const Deadline deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(kCloseBoundMs);
        pushOut(deadline);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        net::closeGracefully(socket_, static_cast<int>(std::max<long long>(left.count(), 0)));
    } else {
        net::closeSocket(socket_);
    }
    socket_ = net::kNoSocket;
    input_.clear();
    outgoing_.clear();
}

std::string NetworkBackend::openNote() const {
    return "Network port " + address_ +
           ": the line's speed and framing are those set on the device server.";
}

bool NetworkBackend::configure(const LineSettings&) {
    return isOpen();
}

// What has arrived is thrown away; what the kernel has taken for sending cannot be called back.
void NetworkBackend::purge(bool input, bool) {
    if (!input || !isOpen()) return;
    receive();
    input_.clear();
}

bool NetworkBackend::setDtr(bool) {
    return false;
}

std::optional<ModemSignals> NetworkBackend::modemSignals() {
    return std::nullopt;
}

void NetworkBackend::noteFault(const std::string& text) {
    if (fault_.empty()) fault_ = text;
}

void NetworkBackend::takeReceived(const std::uint8_t* wire, std::size_t count) {
    input_.insert(input_.end(), wire, wire + count);
}

void NetworkBackend::queueInput(const std::vector<std::uint8_t>& data) {
    input_.insert(input_.end(), data.begin(), data.end());
}

void NetworkBackend::encode(const std::uint8_t* data, std::size_t count) {
    outgoing_.insert(outgoing_.end(), data, data + count);
}

bool NetworkBackend::receive() {
    if (!isOpen() || !fault_.empty()) return false;
    std::uint8_t chunk[kReceiveChunk];
    for (;;) {
        std::string fault;
        const int got = net::receiveSome(socket_, chunk, kReceiveChunk, fault);
        if (got < 0) {
            noteFault(fault);
            return false;
        }
        if (got == 0) break;
        takeReceived(chunk, static_cast<std::size_t>(got));
        if (got < kReceiveChunk) break;
    }
    flush(); // the answers the received commands asked for
    return fault_.empty();
}

void NetworkBackend::flush() {
    while (!outgoing_.empty() && fault_.empty()) {
        std::string fault;
        const int sent =
            net::sendSome(socket_, outgoing_.data(), static_cast<int>(outgoing_.size()), fault);
        if (sent < 0) noteFault(fault);
        if (sent <= 0) return;
        outgoing_.erase(outgoing_.begin(), outgoing_.begin() + sent);
    }
}

void NetworkBackend::pushOut(Deadline deadline) {
    flush();
    while (!outgoing_.empty() && fault_.empty()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return;
        net::waitFor(socket_, true, static_cast<int>(left.count()));
        flush();
    }
}

void NetworkBackend::sendNow(const std::vector<std::uint8_t>& wire) {
    outgoing_.insert(outgoing_.end(), wire.begin(), wire.end());
    flush();
}

int NetworkBackend::bytesWaiting() {
    if (!isOpen()) return -1;
    if (input_.empty()) receive();
    return static_cast<int>(input_.size());
}

int NetworkBackend::outputQueued() {
    if (!isOpen()) return 0;
    return static_cast<int>(outgoing_.size()) + net::unsentBytes(socket_);
}

int NetworkBackend::write(const std::uint8_t* data, int count) {
    if (!isOpen() || count <= 0 || !fault_.empty()) return 0;
    flush();
    if (outgoing_.size() >= kMostOutgoing) return 0;
    const int taken = std::min(count, static_cast<int>(kMostOutgoing - outgoing_.size()));
    encode(data, static_cast<std::size_t>(taken));
    flush();
    return fault_.empty() ? taken : 0;
}

// Sent means handed to the network by this machine: waiting for the server's acknowledgement
// would add a round trip (or a delayed acknowledgement) to every request.
bool NetworkBackend::drain(int timeoutMs) {
    if (!isOpen()) return false;
    auto lastProgress = std::chrono::steady_clock::now();
    int queued = outputQueued();
    while (queued > 0 && fault_.empty()) {
        if (std::chrono::steady_clock::now() - lastProgress > std::chrono::milliseconds(timeoutMs))
            return false;
        if (!outgoing_.empty())
            net::waitFor(socket_, true, 1);
        else
            pauseBriefly();
        flush();
        const int now = outputQueued();
        if (now < queued) lastProgress = std::chrono::steady_clock::now();
        queued = now;
    }
    return fault_.empty();
}

int NetworkBackend::read(std::uint8_t* buffer, int count) {
    if (!isOpen() || count <= 0) return 0;
    if (input_.empty()) receive();
    const int taken = std::min(count, static_cast<int>(input_.size()));
    std::copy_n(input_.begin(), taken, buffer);
    input_.erase(input_.begin(), input_.begin() + taken);
    return taken;
}

void NetworkBackend::awaitBytes(int timeoutMs) {
    if (net::waitFor(socket_, false, timeoutMs)) receive();
}

bool NetworkBackend::waitReadable(int timeoutMs) {
    if (!isOpen()) return false;
    if (!input_.empty()) return true;
    if (!fault_.empty()) {
        // A lost connection reports itself at once, every time; whoever waits again still
        // does not spin.
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
        return false;
    }
    flush();
    awaitBytes(timeoutMs);
    return !input_.empty();
}

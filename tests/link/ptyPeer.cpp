#include "ptyPeer.h"

#include "link/transaction.h"
#include "tests/support/rawPty.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PtyPeer::PtyPeer() {
    const RawPty pty = openRawPty();
    master_ = pty.master;
    slave_ = pty.slave;
    devicePath_ = pty.devicePath;
}

PtyPeer::~PtyPeer() {
    stop();
    ::close(slave_);
    ::close(master_);
}

void PtyPeer::setResponder(Responder responder) {
    std::lock_guard lock(responderMutex_);
    responder_ = std::move(responder);
}

void PtyPeer::start() {
    running_ = true;
    thread_ = std::thread([this] { serve(); });
}

void PtyPeer::stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
}

void PtyPeer::serve() {
    std::string pending;
    while (running_) {
        pollfd entry{master_, POLLIN, 0};
        if (poll(&entry, 1, 5) <= 0) continue;
        char buffer[4096];
        const ssize_t got = ::read(master_, buffer, sizeof buffer);
        if (got <= 0) continue;
        for (ssize_t i = 0; i < got; ++i) {
            pending.push_back(buffer[i]);
            if (buffer[i] != '\r') continue;
            int index = 0;
            {
                std::lock_guard lock(mutex_);
                frames_.push_back(pending);
                index = static_cast<int>(frames_.size()) - 1;
            }
            framesChanged_.notify_all();
            answer(pending, index);
            pending.clear();
        }
    }
}

void PtyPeer::answer(const std::string& frame, int index) {
    Responder responder;
    {
        // The test may set another while the peer serves.
        std::lock_guard lock(responderMutex_);
        responder = responder_;
    }
    if (!responder) return;
    if (pacingBaud_ > 0)
        std::this_thread::sleep_for(
            std::chrono::microseconds(frame.size() * 10'000'000ull / pacingBaud_));
    for (const ReplyChunk& chunk : responder(frame, index)) {
        if (chunk.delayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(chunk.delayMs));
        if (pacingBaud_ > 0)
            writePaced(chunk.bytes);
        else
            writeAll(chunk.bytes);
    }
}

void PtyPeer::writeAll(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (put > 0)
            done += static_cast<std::size_t>(put);
        else if (errno != EAGAIN && errno != EINTR)
            return;
    }
}

void PtyPeer::writePaced(const std::string& bytes) {
    using namespace std::chrono;
    const auto perByte = microseconds(10'000'000ull / pacingBaud_);
    auto due = steady_clock::now();
    for (const char c : bytes) {
        due += perByte;
        std::this_thread::sleep_until(due);
        writeAll(std::string(1, c));
    }
}

void PtyPeer::sendNow(const std::string& bytes) {
    writeAll(bytes);
}

std::vector<std::string> PtyPeer::frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

bool PtyPeer::waitForFrames(std::size_t count, int timeoutMs) const {
    std::unique_lock lock(mutex_);
    return framesChanged_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                   [&] { return frames_.size() >= count; });
}

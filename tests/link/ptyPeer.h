#pragma once
// The far end of a real pseudo-terminal: a thread that reads request frames from the master
// side and answers them as a test scripts it, with delays, noise and bad frames as needed.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ReplyChunk {
    int delayMs = 0; // after the previous chunk (or after the request arrived)
    std::string bytes;
};

class PtyPeer {
public:
    // Gets each request frame (carriage return included) and its 0-based index.
    using Responder = std::function<std::vector<ReplyChunk>(const std::string& frame, int index)>;

    PtyPeer();
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    const std::string& devicePath() const { return devicePath_; }
    // A descriptor of the device kept open by the peer: its line settings are the port's.
    int deviceSide() const { return slave_; }

    void setResponder(Responder responder);
    // Paces like a real line at baud (10 bits a character): the request's wire time passes
    // before the answer starts, and every answered byte takes its own wire time.
    void setPacingBaud(std::uint32_t baud) { pacingBaud_ = baud; }
    void start();
    void stop();

    void sendNow(const std::string& bytes);
    std::vector<std::string> frames() const;
    bool waitForFrames(std::size_t count, int timeoutMs) const;

    // A status reply ("%" + 10 characters + sequence + status byte + CRC + CR) to frame.
    static std::string statusReplyTo(const std::string& frame, const std::string& status = "00");
    static std::string sequenceOf(const std::string& frame);

private:
    void serve();
    void answer(const std::string& frame, int index);
    void writeAll(const std::string& bytes);
    void writePaced(const std::string& bytes);

    int master_ = -1;
    int slave_ = -1;
    std::string devicePath_;
    Responder responder_;
    std::mutex responderMutex_;
    std::uint32_t pacingBaud_ = 0;
    std::atomic<bool> running_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    mutable std::condition_variable framesChanged_;
    std::vector<std::string> frames_;
};

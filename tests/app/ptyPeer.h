#pragma once
// A unit at the far end of a pseudo-terminal: answers every "01" request to its address with
// a bare status reply after a fixed delay. Runs on a thread of its own.

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

class PtyPeer {
public:
    PtyPeer(std::string address, std::chrono::milliseconds replyDelay);
    ~PtyPeer();
    PtyPeer(const PtyPeer&) = delete;
    PtyPeer& operator=(const PtyPeer&) = delete;

    bool ready() const { return master_ >= 0; }
    const std::string& devicePath() const { return devicePath_; }
    int requestsSeen() const { return requests_; }
    int repliesSent() const { return replies_; }

private:
    void serve();
    void answer(const std::string& frame);

    std::string address_;
    std::chrono::milliseconds delay_;
    int master_ = -1;
    std::string devicePath_;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::atomic<int> replies_{0};
    std::thread thread_;
};

#pragma once
// A line in virtual time that fails for good once a chosen request has gone out, as an adapter
// pulled out while the tool waits for the answer: from then on it reads nothing, takes
// nothing and reports the platform's words for a device that is gone.

#include "link/clock.h"
#include "link/platform/serialBackend.h"

#include <algorithm>
#include <cstddef>
#include <memory>

class UnpluggableLine : public SerialBackend {
public:
    static constexpr const char* kFault = "Input/output error";

    UnpluggableLine(Clock& clock, std::unique_ptr<SerialBackend> inner)
        : clock_(clock), inner_(std::move(inner)) {}

    // The line fails once the n-th request from now has gone out; 0: it fails now.
    void cutAtRequest(std::size_t n) {
        if (n == 0) return fail();
        cutAt_ = requests_ + n;
    }
    bool cut() const { return cut_; }
    std::size_t requests() const { return requests_; }
    std::uint64_t cutAtMs() const { return cutAtMs_; }

    bool open(const std::string& device) override { return inner_->open(device); }
    void close() override { inner_->close(); }
    bool isOpen() const override { return inner_->isOpen(); }
    bool configure(const LineSettings& settings) override { return inner_->configure(settings); }
    void purge(bool input, bool output) override {
        if (!cut_) inner_->purge(input, output);
    }
    bool setDtr(bool on) override { return !cut_ && inner_->setDtr(on); }
    std::optional<ModemSignals> modemSignals() override {
        return cut_ ? std::nullopt : inner_->modemSignals();
    }
    int bytesWaiting() override { return cut_ ? -1 : inner_->bytesWaiting(); }
    int outputQueued() override { return cut_ ? 0 : inner_->outputQueued(); }
    int write(const std::uint8_t* data, int count) override {
        if (cut_) return 0;
        const int taken = inner_->write(data, count);
        requests_ += static_cast<std::size_t>(std::count(data, data + std::max(taken, 0), '\r'));
        if (cutAt_ > 0 && requests_ >= cutAt_) fail();
        return taken;
    }
    bool drain(int timeoutMs) override { return !cut_ && inner_->drain(timeoutMs); }
    int read(std::uint8_t* buffer, int count) override {
        return cut_ ? 0 : inner_->read(buffer, count);
    }
    bool waitReadable(int timeoutMs) override { return !cut_ && inner_->waitReadable(timeoutMs); }
    std::string lineFault() const override { return cut_ ? kFault : ""; }

private:
    void fail() {
        cut_ = true;
        cutAtMs_ = clock_.nowMs();
    }

    Clock& clock_;
    std::unique_ptr<SerialBackend> inner_;
    std::size_t cutAt_ = 0;
    std::size_t requests_ = 0;
    bool cut_ = false;
    std::uint64_t cutAtMs_ = 0;
};

#pragma once
// A serial backend that passes everything through and counts what the line brought besides
// the replies the transaction accepted: noise between frames and every frame it read. Shows
// that a row's faults really reached the tool.

#include "link/platform/serialBackend.h"

#include <memory>

namespace faultmatrix {

struct LineTally {
    unsigned frames = 0;     // from "%" to carriage return
    unsigned noiseBytes = 0; // read outside any frame
};

class LineWatch : public SerialBackend {
public:
    LineWatch(std::unique_ptr<SerialBackend> line, LineTally& tally)
        : line_(std::move(line)), tally_(tally) {}

    bool open(const std::string& device) override { return line_->open(device); }
    void close() override { line_->close(); }
    bool isOpen() const override { return line_->isOpen(); }
    bool configure(const LineSettings& settings) override { return line_->configure(settings); }
    void purge(bool input, bool output) override { line_->purge(input, output); }
    bool setDtr(bool on) override { return line_->setDtr(on); }
    std::optional<ModemSignals> modemSignals() override { return line_->modemSignals(); }
    int bytesWaiting() override { return line_->bytesWaiting(); }
    int outputQueued() override { return line_->outputQueued(); }
    int write(const std::uint8_t* data, int count) override { return line_->write(data, count); }
    bool drain(int timeoutMs) override { return line_->drain(timeoutMs); }
    bool waitReadable(int timeoutMs) override { return line_->waitReadable(timeoutMs); }
    std::string lineFault() const override { return line_->lineFault(); }

    int read(std::uint8_t* buffer, int count) override {
        const int got = line_->read(buffer, count);
        for (int i = 0; i < got; ++i)
            see(buffer[i]);
        return got;
    }

private:
    void see(std::uint8_t byte) {
        if (byte == '%') inFrame_ = true;
        if (!inFrame_) ++tally_.noiseBytes;
        if (inFrame_ && byte == '\r') {
            ++tally_.frames;
            inFrame_ = false;
        }
    }

    std::unique_ptr<SerialBackend> line_;
    LineTally& tally_;
    bool inFrame_ = false;
};

} // namespace faultmatrix

#pragma once
// What the image tests share: a console that records the status log, a scratch working
// folder, and files made by the srecord and binutils tools.

#include "link/console.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class RecordingConsole : public Console {
public:
    std::vector<std::string> statusLines;
    std::optional<std::string> fileToChoose; // what the file dialog returns
    int dialogRuns = 0;

    void status(std::string_view line) override { statusLines.emplace_back(line); }
    void report(std::string_view) override {}
    void clearStatus() override { statusLines.clear(); }
    void clearReport() override {}
    void replaceLastReportLine(std::string_view) override {}
    void progress(int, int, int) override {}
    void pump() override {}
    void message(MessageKind, std::string_view) override {}
    bool confirm(std::string_view) override { return false; }
    std::optional<std::string> chooseFirmwareFile() override {
        ++dialogRuns;
        return fileToChoose;
    }
};

// A fresh folder that is the working folder while the object lives.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

void WriteTextFile(const std::string& name, const std::string& text);
void WriteBinaryFile(const std::string& name, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadBinaryFile(const std::string& name);
std::vector<std::uint8_t> RandomBytes(std::size_t count, std::uint32_t seed);
// Runs a shell command in the working folder; true when it exited with status 0.
bool RunTool(const std::string& command);
// A file of S2 records made by srec_cat whose version bytes at 0xFF9F00 read major.minor.
void MakeSRecordApplication(const std::string& name, int major, int minor);
// A 16-bit Intel HEX file made by srec_cat whose version bytes at 0xFBFC read major.minor.
void MakeHexApplication(const std::string& name, int major, int minor);

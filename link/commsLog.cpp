#include "commsLog.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

void appendCommsLogLine(const std::string& fileName, const std::string& line) {
    std::FILE* file = std::fopen(fileName.c_str(), "ab");
    if (!file) throw CommsLogError(std::strerror(errno));
    const std::string record = line + "\r\n";
    const bool written = std::fwrite(record.data(), 1, record.size(), file) == record.size();
    const int writeError = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written) throw CommsLogError(std::strerror(writeError));
    if (!closed) throw CommsLogError(std::strerror(errno));
}

std::string commsLogNameFor(const std::string& baseName, const std::string& port) {
    std::string tag;
    for (char c : port) {
        const bool kept = std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
        tag += kept ? c : '_';
    }
    const std::size_t dot = baseName.rfind('.');
    if (dot == std::string::npos) return baseName + "-" + tag;
    return baseName.substr(0, dot) + "-" + tag + baseName.substr(dot);
}

#include "commsLog.h"

#include "commsLog.h"

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

#include "lineLoss.h"

#include <string>

void tellLineLost(Console& console, RunLog log, std::string_view platformText) {
    const std::string line = kLineLostPrefix + std::string(platformText);
    switch (log) {
    case RunLog::Status:
        console.status(line);
        return;
    case RunLog::Report:
        console.report(line);
        return;
    case RunLog::MessageBox:
        console.message(MessageKind::Error, line);
        return;
    }
}

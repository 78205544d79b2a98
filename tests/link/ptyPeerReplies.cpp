// The peer's scripted replies, apart from the pseudo-terminal: tests on a scripted or
// virtual line (and the Windows build, which has no pseudo-terminal) answer with them too.

#include "link/transaction.h"
#include "ptyPeer.h"

std::string PtyPeer::sequenceOf(const std::string& frame) {
    return frame.size() >= 15 ? frame.substr(11, 4) : std::string();
}

std::string PtyPeer::statusReplyTo(const std::string& frame, const std::string& status) {
    return AppendCRC("%0100000100" + sequenceOf(frame) + status) + "\r";
}

#include "link/platform/nativeBackend.h"

#include "posixBackend.h"

std::unique_ptr<SerialBackend> makeNativeBackend() {
    return std::make_unique<PosixBackend>();
}

#include "link/platform/nativeBackend.h"

#include "win32Backend.h"

std::unique_ptr<SerialBackend> makeNativeBackend() {
    return std::make_unique<Win32Backend>();
}

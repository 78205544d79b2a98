#include "interrupt.h"
#include "platform/signals.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kExitAtOnce = 1;
constexpr std::size_t kNoteSize = 512;
std::atomic<int> interrupts{0};
std::atomic<int> endAt{2};
std::atomic<bool> deferred{false};
std::function<void()> lastWords; // set before deferred, read once it is
static_assert(std::atomic<int>::is_always_lock_free, "the handler may only touch a lock-free flag");

// The note is written into the buffer the handler is not reading, then made the current one:
// the handler reads a whole line whatever the writer does meanwhile.
std::array<std::array<char, kNoteSize>, 2> notes{};
std::atomic<int> currentNote{0};

extern "C" void onInterrupt(int) {
    const int limit = endAt.load() + (deferred.load() ? 1 : 0);
    if (interrupts.fetch_add(1) + 1 >= limit) {
        const char* note = notes[static_cast<std::size_t>(currentNote.load())].data();
        writeFromHandler(note, std::strlen(note));
        std::_Exit(kExitAtOnce);
    }
    rearmInterruptHandler(onInterrupt);
}

} // namespace

void installInterruptHandler() {
    installSigintHandler(onInterrupt);
}

bool interruptRequested() {
    return interrupts.load() > 0;
}

int interruptCount() {
    return interrupts.load();
}

void endAtInterrupt(int count) {
    endAt = count;
}

void setInterruptNote(const std::string& line) {
    const int next = 1 - currentNote.load();
    std::array<char, kNoteSize>& note = notes[static_cast<std::size_t>(next)];
    const std::string text = line.empty() ? std::string() : line + "\n";
    const std::size_t size = std::min(text.size(), kNoteSize - 1);
    std::memcpy(note.data(), text.data(), size);
    note[size] = '\0';
    currentNote = next;
}

void deferEndAtOnce(std::function<void()> last) {
    lastWords = std::move(last);
    deferred = true;
}

void endAtOnceIfDue() {
    if (!deferred.load() || interrupts.load() < endAt.load()) return;
    if (lastWords) lastWords();
    std::fflush(stderr);
    const char* note = notes[static_cast<std::size_t>(currentNote.load())].data();
    std::fputs(note, stdout);
    std::fflush(stdout);
    std::_Exit(kExitAtOnce);
}

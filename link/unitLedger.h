#pragma once
// What happened to each unit during one run, told once. Every upgrade procedure reports each
// unit's steps here as they happen, and everything that speaks of a unit afterwards reads this:
// the soft Stop (which units are in hand), "left in boot loader", the history records, the site
// report's result and reason, the per-row progress and whether a closing reset may go out.
//
//   planned -> asked into upgrade mode -> in its boot loader -> erased -> page n of m -> reset
//           -> confirmed running                          | failed (the unit's own reason)
//   refused (nothing sent)                                | not reached (a Stop or a lost line)
//
// The session holds one ledger for the bus and clears it when an operation begins; it is
// written on the session's worker thread only.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

enum class UnitStage {
    Planned,
    AskedIntoUpgradeMode,
    InBootLoader,
    Erased,
    Writing,
    Reset,
    ConfirmedRunning,
    Failed,
    Refused,
    NotReached
};

// "planned", "asked into upgrade mode", ..., "not reached"
const char* unitStageText(UnitStage stage);

// The firmware a unit is being given, as its history records name it.
struct UnitFile {
    std::string name;
    std::string sha256;
    std::optional<std::string> version; // "2.05"; none for an image that carries none
};

struct UnitLife {
    std::string address;      // CCTT, as the procedures reach it
    std::string fixedAddress; // "20000101"; empty until identification or a survey read it
    int productId = 0;
    std::optional<std::string> before; // the version it ran before; none in its boot loader
    std::optional<std::string> after;  // a version read once it ran its new firmware
    UnitFile file;
    UnitStage stage = UnitStage::Planned;
    int page = 0, pages = 0;
    std::string reason; // failed, refused, not reached: why, in the unit's own words
    // Asked into upgrade mode and not since seen outside it: it may sit in its boot loader.
    bool mayBeInBootLoader = false;
    // Erased by this run and not yet reset with every page in: a reset would start a
    // half-written image.
    bool flashUnfinished = false;
    bool started = false;  // its "started" history record is on disk
    bool recorded = false; // its end record is written

    // From "asked into upgrade mode" to its reset: it finishes under a first Stop.
    bool inHand() const;
    // At the end of a run: not confirmed running, and erased or possibly in its boot loader.
    bool leftInBootLoader() const;
};

// Keeps the history of the run's units: "started" before a unit is first asked into upgrade
// mode, an end record once its procedure is done with it.
class UnitRecorder {
public:
    virtual ~UnitRecorder() = default;
    // Empty when the record is on disk; else why not (the unit is then refused).
    virtual std::string started(const UnitLife& unit) = 0;
    virtual void ended(const UnitLife& unit, const char* outcome) = 0;
};

class UnitLedger {
public:
    // Told after every change of a unit, on the worker thread.
    using Listener = std::function<void(const UnitLife&)>;

    void clear();

    // What identification or a survey read of the unit; empty parts leave what was known.
    void identified(const std::string& address, const std::string& fixedAddress, int productId,
                    std::optional<std::string> before);
    // Found in its boot loader before anything was asked of it.
    void foundInBootLoader(const std::string& address);
    // The file the unit is to be given.
    void file(const std::string& address, UnitFile file);

    // About to be asked into upgrade mode: its "started" record goes to disk first. Empty when
    // it may be asked; else the refusal (the history cannot be written), and nothing may be
    // sent to it.
    std::string asking(const std::string& address);
    // Asked, and the run ended before the request went: it never heard it.
    void notAsked(const std::string& address, const std::string& reason);
    void inBootLoader(const std::string& address);
    // It answered from its application: whatever it was asked, it is not in its boot loader.
    void outsideBootLoader(const std::string& address);
    void erased(const std::string& address);
    void page(const std::string& address, int written, int pages);
    void reset(const std::string& address);
    void confirmed(const std::string& address, std::optional<std::string> after = std::nullopt);
    void failed(const std::string& address, const std::string& reason);
    void refused(const std::string& address, const std::string& reason);
    // The run ended (reason: "stopped", "line lost", ...) before the unit came to an end of its
    // own: one in hand keeps its stage, one not yet asked is not reached.
    void runEnded(const std::string& reason);

    const UnitLife* find(const std::string& address) const;
    std::vector<std::string> unitsInHand() const;
    std::vector<std::string> leftInBootLoader() const;

    // The recorder writes the history of the units of the procedure running now. A unit's end
    // record is written once it is confirmed running or refused; one that failed may be tried
    // again by the same procedure, so its record waits for endRecords, which the procedure's
    // end calls with what ended it for the units still in hand ("stopped", "line lost"; empty:
    // it went its whole way).
    // A new recorder begins a new procedure: a unit it writes again gets records of its own.
    void record(UnitRecorder* recorder);
    bool recording() const { return recorder_ != nullptr; }
    void endRecords(const char* cutShortBy);
    void listen(Listener listener) { listener_ = std::move(listener); }

private:
    UnitLife& unit(const std::string& address);
    void changed(const UnitLife& unit);
    void writeEnd(UnitLife& unit, const char* outcome);

    std::map<std::string, UnitLife> units_;
    std::vector<std::string> order_; // addresses in the order first told
    UnitRecorder* recorder_ = nullptr;
    Listener listener_;
};

#pragma once
// One unit of a site as the survey found it, what the plan means to do with it and what came
// of it.

#include <cstdint>
#include <optional>
#include <string>

enum class SiteUnitKind { Host, Controller, Terminal, Remote };
enum class SiteAction { Upgrade, UpToDate, NoFile, NotReachable, OnRequest };
enum class SiteResult {
    Planned,
    Upgraded,
    UpToDate,
    Failed,
    Refused,
    NoFile,
    NotReachable,
    OnRequest,
    NotDone,
    LeftInBootLoader, // in its boot loader when the run ended: it runs no application
    NotVerified       // its step completed, yet no verifying survey read it
};

// "upgrade", "up to date", "no file", "not reachable", "on request"
const char* siteActionText(SiteAction action);
// "planned", "upgraded", "up to date", "failed", "refused", "no file", "not reachable",
// "on request", "not done", "left in boot loader", "not verified"
const char* siteResultText(SiteResult result);
// "host", "controller", "terminal", "remote"
const char* siteUnitKindText(SiteUnitKind kind);

struct SiteUnit;
// "0102 (Erase Error 05)": the unit's address, and its reason when it has one.
std::string addressWithReason(const SiteUnit& unit);

// Why a unit that shares its address is out of reach: "two units answer at 0102".
std::string sharedAddressReason(const std::string& address);

struct SiteUnit {
    // The CCTT the unit is reached by. A remote is the unit behind a terminal whose product is a
    // remote's: the survey reads one record for both, so it stands once, as a remote, at its
    // terminal's address.
    std::string address;
    SiteUnitKind kind = SiteUnitKind::Terminal;
    std::uint32_t fixedAddress = 0;
    int productId = 0;
    std::string product;
    // Versions in the survey's "1.10" form; a remote's is its second version. A remote's image
    // carries no version the tool reads, so its fileVersion stays empty.
    std::optional<std::string> file, fileVersion, before, after;
    // A remote's: the version of the terminal it sits behind, which the same record carries.
    std::optional<std::string> terminalVersion;
    // The file's SHA-256 (lower-case hex), and the trust check's refusal of the file if any.
    std::optional<std::string> fileSha256, fileRefusal;
    bool inUpgradeMode = false; // what the first survey that found it found
    // Another unit answers at its address: the two cannot be told apart, so neither is asked.
    bool sharesAddress = false;
    // The all-at-once step of the first pass that upgrades it with others, by its title; empty
    // when it goes alone.
    std::string broadcastStep;
    SiteAction action = SiteAction::NotReachable;
    SiteResult result = SiteResult::Planned;
    // Why the result is not what was planned: the procedure's words ("Erase Error 05"), "line
    // lost", "stopped", ...
    std::optional<std::string> reason;
};

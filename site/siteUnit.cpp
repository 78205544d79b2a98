#include "site/siteUnit.h"

const char* siteActionText(SiteAction action) {
    switch (action) {
    case SiteAction::Upgrade:
        return "upgrade";
    case SiteAction::UpToDate:
        return "up to date";
    case SiteAction::NoFile:
        return "no file";
    case SiteAction::NotReachable:
        return "not reachable";
    case SiteAction::OnRequest:
        return "on request";
    }
    return "";
}

const char* siteResultText(SiteResult result) {
    switch (result) {
    case SiteResult::Planned:
        return "planned";
    case SiteResult::Upgraded:
        return "upgraded";
    case SiteResult::UpToDate:
        return "up to date";
    case SiteResult::Failed:
        return "failed";
    case SiteResult::Refused:
        return "refused";
    case SiteResult::NoFile:
        return "no file";
    case SiteResult::NotReachable:
        return "not reachable";
    case SiteResult::OnRequest:
        return "on request";
    case SiteResult::NotDone:
        return "not done";
    case SiteResult::LeftInBootLoader:
        return "left in boot loader";
    case SiteResult::NotVerified:
        return "not verified";
    }
    return "";
}

const char* siteUnitKindText(SiteUnitKind kind) {
    switch (kind) {
    case SiteUnitKind::Host:
        return "host";
    case SiteUnitKind::Controller:
        return "controller";
    case SiteUnitKind::Terminal:
        return "terminal";
    case SiteUnitKind::Remote:
        return "remote";
    }
    return "";
}

std::string sharedAddressReason(const std::string& address) {
    return "two units answer at " + address;
}

std::string addressWithReason(const SiteUnit& unit) {
    return unit.reason ? unit.address + " (" + *unit.reason + ")" : unit.address;
}

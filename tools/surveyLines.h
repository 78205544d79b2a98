#pragma once
// The texts of the survey report: headings, the column header and the unit lines, whose
// columns stand under the words of the header.

#include "surveyTable.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace surveyText {
inline constexpr char Header[] = "Fixed Addr: LA: Ver:        Status:        Product Desc:";
inline constexpr char HostReader[] = ">> Registration Reader or Host Interface <<";
inline constexpr char HostAdaption[] = ">> ADAPTION SET:  (includes tag reader) <<";
inline constexpr char HostTagPilot[] = ">> TAGPILOT <<";
inline constexpr char HostInUpgradeMode[] = "No Controllers can be detected in Upgrade Mode.";
inline constexpr char Controllers[] = ">> CONTROLLERS <<";
inline constexpr char Terminals[] = ">> TERMINALS <<";
inline constexpr char TotalUnits[] = "Total units: ";
inline constexpr char TerminalsOnController[] = "[ Terminals on Controller ";
inline constexpr char TerminalsOnControllerEnd[] = " ]";
inline constexpr char ControllerOnly[] = "[ Controller ]";
inline constexpr char InvalidLa[] = "No Terminals can be detected because LA is invalid.";
inline constexpr char RunEngine[] = "Run Engine to autoid Terminals.";
inline constexpr char Finished[] = "Finished.";
// Under a controller's terminal heading when its terminal list did not come.
inline constexpr char NoResponse[] = "No response!";
} // namespace surveyText

// Major in decimal, "." and the minor with at least two digits: 010A is "1.10".
std::string versionText(std::uint16_t version);
// The 8 characters after the version: " [2.03] " for a bracketed product, else blanks.
std::string versionTail(bool bracketed, std::uint16_t secondVersion);
// A unit that answered: its version, the tail given and its status.
std::string unitLine(const SurveyRecord& unit, std::string_view tail);
// A unit shown without a version ("----"): not asked, or no answer.
std::string unitLineWithoutVersion(const SurveyRecord& unit, std::string_view status);
std::string totalUnitsLine(int count);
std::string terminalsOnControllerLine(std::uint8_t controllerLa);
// A unit kept answering its identification without taking the acknowledgement.
std::string identifyGaveUpLine(int passes);

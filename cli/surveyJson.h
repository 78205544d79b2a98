#pragma once
// The network as a survey found it, as a JSON document that a site's inventory can keep and
// compare between visits.

#include "tools/networkSurvey.h"
#include "tools/surveyTable.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

nlohmann::ordered_json surveyDocument(const SurveyTable& table, const SurveyOutcome& outcome);
std::string surveyJson(const SurveyTable& table, const SurveyOutcome& outcome);
// Several buses surveyed at once: {"buses": [{"port": ..., then one bus's document}]}.
struct SurveyedBus {
    std::string port;
    nlohmann::ordered_json document; // null when the port did not open
};
std::string severalBusesJson(const std::vector<SurveyedBus>& buses);
// Writes text to path; false with the reason in error when it cannot.
bool writeJsonText(const std::string& path, const std::string& text, std::string& error);
// Writes the document to path; false with the reason in error when it cannot.
bool writeSurveyJson(const std::string& path, const SurveyTable& table,
                     const SurveyOutcome& outcome, std::string& error);

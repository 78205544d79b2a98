#pragma once
// The network as a survey found it, as a JSON document that a site's inventory can keep and
// compare between visits.

#include "tools/networkSurvey.h"
#include "tools/surveyTable.h"

#include <string>

std::string surveyJson(const SurveyTable& table, const SurveyOutcome& outcome);
// Writes the document to path; false with the reason in error when it cannot.
bool writeSurveyJson(const std::string& path, const SurveyTable& table,
                     const SurveyOutcome& outcome, std::string& error);

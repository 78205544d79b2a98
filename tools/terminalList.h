#pragma once
// The terminals a controller knows, from its terminal list reply ("9403"): stored in the
// controller's row of the survey table and shown one line each.

#include "link/operationContext.h"
#include "surveyTable.h"

#include <string>

// Writes the terminal lines of controller row (1 to 64) and their count. A reply shorter than
// a list writes nothing. Entries beyond the 64th have no column of their own: they are shown
// and counted like the others but not stored. An announced entry missing from the reply reads
// as LA 00: counted, not shown.
void displayTermInfo(OperationContext& context, SurveyTable& table, int row,
                     const std::string& listReply);

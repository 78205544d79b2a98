#include "surveyTable.h"

#include <stdexcept>

void SurveyRecord::clearSurvey() {
    la = 0;
    fixedAddress = 0;
    productId = 0;
    version = 0;
    secondVersion = 0;
    acknowledged = false;
    duplicate = false;
    status.clear();
}

void SurveyRecord::clearCommsTest() {
    commsCounters = {};
    tested = false;
}

SurveyRecord* SurveyTable::find(int row, int column) {
    return contains(row, column) ? &records_[row][column] : nullptr;
}

const SurveyRecord* SurveyTable::find(int row, int column) const {
    return contains(row, column) ? &records_[row][column] : nullptr;
}

SurveyRecord& SurveyTable::at(int row, int column) {
    if (!contains(row, column))
        throw std::out_of_range("survey table: no record at row " + std::to_string(row) +
                                ", column " + std::to_string(column));
    return records_[row][column];
}

const SurveyRecord& SurveyTable::at(int row, int column) const {
    if (!contains(row, column))
        throw std::out_of_range("survey table: no record at row " + std::to_string(row) +
                                ", column " + std::to_string(column));
    return records_[row][column];
}

void SurveyTable::clear() {
    for (auto& row : records_)
        for (auto& record : row)
            record.clearSurvey();
}

void SurveyTable::clearCommsTest() {
    for (auto& row : records_)
        for (auto& record : row)
            record.clearCommsTest();
}

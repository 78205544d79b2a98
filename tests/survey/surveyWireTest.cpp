// The survey over a real pseudo-terminal on the real clock, as the operator runs it.

#include "product/products.h"
#include "surveyFixture.h"
#include "tools/surveyLines.h"

using namespace surveytest;

namespace {

TEST(SurveyOnTheWire, NothingConnectedGivesNineLines) {
    WireSurvey survey("{}");
    SurveyOutcome outcome = survey.run();
    EXPECT_TRUE(outcome.portOpened);
    EXPECT_EQ(survey.lines(),
              (std::vector<std::string>{">> CONTROLLERS <<", surveyText::Header, "Total units: 0",
                                        "", ">> TERMINALS <<", surveyText::Header, "Total units: 0",
                                        "", "Finished."}));
    EXPECT_FALSE(survey.port.IsOpen());
}

TEST(SurveyOnTheWire, UnitLinesStandUnderTheHeader) {
    WireSurvey survey(R"({"controllers": [
      {"la": "05", "fixedAddress": "0001A2B3", "productId": 99, "version": "010A",
       "terminals": [
         {"la": "12", "fixedAddress": "00C0FFEE", "productId": 31, "version": "0105",
          "secondVersion": "0203"},
         {"la": "13", "fixedAddress": "00C0FFEF", "productId": 90, "version": "0A05",
          "secondVersion": "0203"}]}]})");
    survey.run();
    const std::string example = "0001A2B3    05  1.10        Ok             99:Unknown Product ID!";
    const std::string bracketed =
        "00C0FFEE    12  1.05 [2.03] Ok             31:" + getProductName(31);
    const std::string plain =
        "00C0FFEF    13  10.05        Ok             90:" + getProductName(90);
    const std::vector<std::string>& lines = survey.lines();
    ASSERT_TRUE(hasLine(lines, example));
    EXPECT_TRUE(hasLine(lines, "[ Terminals on Controller 05 ]"));
    EXPECT_TRUE(hasLine(lines, bracketed));
    EXPECT_TRUE(hasLine(lines, plain));
    EXPECT_EQ(countLines(lines, "Total units: 1"), 1);
    EXPECT_EQ(countLines(lines, "Total units: 2"), 1);
    const std::string header = surveyText::Header;
    for (const char* word : {"LA:", "Ver:", "Status:", "Product Desc:"}) {
        const std::size_t column = header.find(word);
        EXPECT_NE(example[column], ' ') << word;
        EXPECT_EQ(example[column - 1], ' ') << word;
    }
    EXPECT_EQ(example.find("99:"), header.find("Product Desc:"));
    EXPECT_EQ(survey.table->at(1, 0).version, 0x010A);
    EXPECT_EQ(survey.table->at(1, 1).secondVersion, 0x0203);
}

} // namespace

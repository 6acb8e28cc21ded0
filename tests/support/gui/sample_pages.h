// Three property-page templates for the sheet tests, shaped like the options
// pages: a source page (group of radio buttons, check box, folder edit with a
// browse button), a naming page (edits, a number field with a range, check
// boxes) and a format page (labelled combo boxes).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/core/dialog_table.h"
#include "ui/data_exchange.h"

namespace sample {

inline constexpr int IDD_SAMPLE_SOURCE_PAGE = 9200;
inline constexpr int IDC_SOURCE_GROUP = 1076;
inline constexpr int IDC_SOURCE_BOTH = 1025;  // first of three radio buttons
inline constexpr int IDC_SOURCE_REMOTE = 1026;
inline constexpr int IDC_SOURCE_LOCAL = 1027;
inline constexpr int IDC_SOURCE_SAVE = 1028;
inline constexpr int IDC_SOURCE_FOLDER = 1042;
inline constexpr int IDC_SOURCE_BROWSE = 1043;
extern const ui::DialogTemplate kSourcePage;

inline constexpr int IDD_SAMPLE_NAMING_PAGE = 9201;
inline constexpr int IDC_NAMING_FOLDER = 1057;
inline constexpr int IDC_NAMING_SEPARATOR = 1130;
inline constexpr int IDC_NAMING_YEAR = 1159;  // a whole number from 1 to 2100
inline constexpr int IDC_NAMING_TAGS = 1061;
extern const ui::DialogTemplate kNamingPage;

inline constexpr int IDD_SAMPLE_FORMAT_PAGE = 9202;
inline constexpr int IDC_FORMAT_KIND = 1056;
inline constexpr int IDC_FORMAT_RATE = 1079;
extern const ui::DialogTemplate kFormatPage;

// A fixture for sheet tests: what the data exchange reports to the user
// (a bad number, a text too long) is collected in `reports` instead of
// being shown in a message box.
class ExchangeReportsTest : public testing::Test {
 protected:
  void SetUp() override {
    previous_ =
        ui::SetDataExchangeReporter([this](wxWindow*, const std::string& text) { reports.push_back(text); });
  }
  void TearDown() override { ui::SetDataExchangeReporter(previous_); }
  std::vector<std::string> reports;

 private:
  ui::DataExchangeReporter previous_;
};

}  // namespace sample

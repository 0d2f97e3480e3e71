#pragma once
// Pieces of paper as bit strings, for tests that say which dots a job gives.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "printer/paper.h"
#include "tests/support/temp_folder.h"

namespace tesk::testing {

// A narrow printer whose motion units are dots, so that byte tables stay short.
inline printer::Profile NarrowProfile(int width = 16) {
  printer::Profile profile;
  profile.name = "narrow";
  profile.printableWidth = width;
  profile.defaultLineSpacing = 4;
  return profile;
}

// "1" for a black dot, one string a row, `paper.width` characters long.
inline std::vector<std::string> PieceRows(const printer::Paper& paper, std::size_t piece = 0) {
  std::vector<std::string> rows;
  if (piece >= paper.pieces.size()) return rows;
  const auto& dots = paper.pieces[piece];
  const std::int64_t stride = paper.WidthBytes();
  for (std::int64_t y = 0; y < dots.height; ++y) {
    std::string row;
    for (std::int64_t x = 0; x < paper.width; ++x)
      row += (dots.rows[static_cast<std::size_t>(y * stride + x / 8)] & (0x80 >> (x % 8))) ? '1' : '0';
    rows.push_back(row);
  }
  return rows;
}

// `count` copies of `row`, for images drawn taller than their data.
inline std::vector<std::string> Repeated(const std::string& row, int count) {
  return std::vector<std::string>(static_cast<std::size_t>(count), row);
}

inline std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> rows;
  for (const auto& part : parts) rows.insert(rows.end(), part.begin(), part.end());
  return rows;
}

// A white row of the narrow printer.
inline const std::string kWhite = "0000000000000000";

// A job and the rows of its first piece, for tables of cases.
struct JobCase {
  const char* name;
  const char* job;
  std::vector<std::string> rows;
};

inline std::string JobCaseName(const ::testing::TestParamInfo<JobCase>& info) { return info.param.name; }

inline printer::Paper Print(std::string_view hex, const printer::Profile& profile = NarrowProfile()) {
  printer::Paper paper;
  const Bytes job = HexBytes(hex);
  EXPECT_EQ(printer::PrintJob(job, profile, paper), printer::PaperResult::Printed);
  return paper;
}

// "offset command: reason" for each entry of the not-drawn list.
inline std::vector<std::string> NotDrawnLines(const printer::Paper& paper) {
  std::vector<std::string> lines;
  for (const auto& item : paper.notDrawn)
    lines.push_back(std::to_string(item.offset) + " " + item.command + ": " +
                    printer::NotDrawnReasonText(item.reason));
  return lines;
}

}  // namespace tesk::testing

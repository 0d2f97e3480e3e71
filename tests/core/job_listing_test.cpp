// The job as the window lists it: every command, the picture rows each band
// drew, and the bytes (and transfer) behind a picture row.

#include "core/job_listing.h"

#include <gtest/gtest.h>

#include "tests/core/job_builder.h"
#include "tests/core/run_fixture.h"

namespace tesk::core {
namespace {

namespace fs = std::filesystem;
using JobListingTest = RunFixture;

TEST_F(JobListingTest, BandsAreTiedToTheCommandsThatDrewThem) {
  const fs::path input = folder / "job.prn";
  const testing::Bytes job = testing::FixedLayoutJob(3, 2, 3);
  testing::WriteFile(input, job);
  for (const BandLayoutChoice layout : {BandLayoutChoice::Fixed, BandLayoutChoice::Commands}) {
    const JobListing listing = ListJob(input, CaptureReading::Default, layout);
    ASSERT_TRUE(listing.valid);
    EXPECT_EQ(listing.jobLength, job.size());
    ASSERT_EQ(listing.bands.size(), 3u);
    std::vector<std::int64_t> drawn;
    for (std::size_t index = 0; index < listing.commands.size(); ++index) {
      const CommandLine& line = listing.commands[index];
      if (line.rowCount > 0) drawn.push_back(static_cast<std::int64_t>(index));
      EXPECT_EQ(line.rowCount > 0, line.name == "GS v 0") << line.name;
    }
    ASSERT_EQ(drawn.size(), 3u);
    for (std::size_t band = 0; band < 3; ++band) {
      EXPECT_EQ(listing.bands[band].command, drawn[band]);
      EXPECT_EQ(listing.commands[static_cast<std::size_t>(drawn[band])].firstRow,
                2 * static_cast<std::int64_t>(band));
    }
    // Each row's offset holds that row's bytes: they count up from 1.
    for (std::int64_t row = 0; row < 6; ++row) {
      const auto origin = LocateRow(listing, row);
      ASSERT_TRUE(origin);
      EXPECT_EQ(origin->band, static_cast<std::size_t>(row / 2));
      EXPECT_EQ(origin->rowInBand, row % 2);
      EXPECT_EQ(job[origin->offset], 1 + 3 * row);
    }
    EXPECT_FALSE(LocateRow(listing, 6));
    EXPECT_FALSE(LocateRow(listing, -1));
  }
}

TEST(LocateRow, NamesTheTransferThatCarriedTheRow) {
  JobListing listing;
  listing.bands = {{0, 4, 10, 100, -1}};
  listing.transfers = {{0, 110, 1, 0.0}, {110, 50, 7, 0.25}};
  EXPECT_EQ(LocateRow(listing, 0)->transfer, 0);  // offset 100
  EXPECT_EQ(LocateRow(listing, 1)->transfer, 1);  // offset 110: the second begins there
  EXPECT_EQ(LocateRow(listing, 3)->transfer, 1);  // offset 130
  listing.transfers.pop_back();
  EXPECT_EQ(LocateRow(listing, 3)->transfer, -1);  // no transfer carried offset 130
}

TEST_F(JobListingTest, NothingValidListsNothing) {
  const fs::path input = folder / "text.txt";
  testing::WriteFile(input, std::string_view("hello"));
  EXPECT_FALSE(ListJob(input, CaptureReading::Default, BandLayoutChoice::Fixed).valid);
  EXPECT_FALSE(ListJob(folder / "missing", CaptureReading::Default, BandLayoutChoice::Fixed).valid);
}

}  // namespace
}  // namespace tesk::core

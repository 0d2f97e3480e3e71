#include "core/band_layout.h"

#include <gtest/gtest.h>

#include "core/band_geometry.h"
#include "core/raster_source.h"
#include "tests/core/job_builder.h"

namespace tesk::core {
namespace {

using testing::Bytes;
using testing::FixedLayoutJob;
using testing::HexBytes;

struct LayoutCase {
  const char* name;
  Bytes job;
  std::int32_t mode, widthBytes, bandHeight;
  std::int64_t pureLength, bandCount, bitmapHeight, rowStride, paddedWidth, pixelBytes;
  Bytes pure;  // empty: not checked byte by byte
};

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const LayoutCase kLayouts[] = {
    {"HeaderAtSevenOneBand", HexBytes("1b40 aaaaaaaaaa 1d7630000200 0300 010203040506"), 0, 2, 3, 6, 1, 3, 4,
     32, 12, HexBytes("010203040506")},
    {"TwoBands",
     HexBytes("1b40 aaaaaaaaaa 1d76300002000300 010203040506 1b4a00 1d76300002000300 0708090a0b0c"), 0, 2, 3,
     12, 2, 6, 4, 32, 24, HexBytes("010203040506 0708090a0b0c")},
    // data[7..8] is not 1D 76: the header is read at 10, whatever stands there.
    {"HeaderAtTen", HexBytes("1b40 aaaaaaaaaaaaaaaa 998877 05 0100 0200 f00f"), 5, 1, 2, 2, 1, 2, 4, 32, 8,
     HexBytes("f00f")},
    {"LaterHeaderNamesOtherSize",
     HexBytes("1b40 aaaaaaaaaa 1d76300001000200 1122 1b4a00 1d76300005000500 3344 5566"), 0, 1, 2, 4, 2, 4, 4,
     32, 16, HexBytes("1122 3344")},
    {"ModeThirtyHexIsFortyEight", FixedLayoutJob(1, 1, 1, 0x30), 48, 1, 1, 1, 1, 1, 4, 32, 4, {}},
    {"WidthThree", FixedLayoutJob(3, 2, 1), 0, 3, 2, 6, 1, 2, 4, 32, 8, {}},
    {"WidthFour", FixedLayoutJob(4, 2, 1), 0, 4, 2, 8, 1, 2, 4, 32, 8, {}},
    {"WidthFive", FixedLayoutJob(5, 1, 2), 0, 5, 1, 10, 2, 2, 8, 64, 16, {}},
    {"WidthEight", FixedLayoutJob(8, 1, 1), 0, 8, 1, 8, 1, 1, 8, 64, 8, {}},
    // A band cut off by the end of the job is completed with white rows.
    {"CutOffLastBandCompleted",
     HexBytes("1b40 aaaaaaaaaa 1d76300002000200 01020304 1b4a00 1d76300002000200 0506"), 0, 2, 2, 8, 2, 4, 4,
     32, 16, HexBytes("01020304 05060000")},
    // Trailing bytes more than 11 past the last band's data are one more band.
    {"TrailingBytesGatheredAsBand",
     Concat(HexBytes("1b40 aaaaaaaaaa 1d76300001000100 7f"), HexBytes("0000000000000000000000 ee")), 0, 1, 1,
     2, 2, 2, 4, 32, 8, HexBytes("7f ee")},
    {"ZeroWidthGathersNothing",
     HexBytes("1b40 aaaaaaaaaa 1d76300000000800 0102030405"),
     0,
     0,
     8,
     0,
     0,
     0,
     0,
     0,
     0,
     {}},
    {"ZeroHeightGathersNothing",
     HexBytes("1b40 aaaaaaaaaa 1d76300004000000 0102030405"),
     0,
     4,
     0,
     0,
     0,
     0,
     4,
     32,
     0,
     {}},
    // Too short for the header: the missing bytes read as zero.
    {"TooShortForHeader", HexBytes("1b40 aaaaaaaaaa 1d7630"), 0, 0, 0, 0, 0, 0, 0, 0, 0, {}},
    {"HeaderWithoutData", HexBytes("1b40 aaaaaaaaaa 1d76300002000300"), 0, 2, 3, 0, 0, 0, 4, 32, 0, {}},
};

void PrintTo(const LayoutCase& layout, std::ostream* out) { *out << layout.name; }

class BandLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(BandLayout, ReadsTheHeaderAndGathersTheBands) {
  const LayoutCase& expected = GetParam();
  testing::TempFolder folder;
  std::filesystem::path path = folder / "job.prn";
  testing::WriteFile(path, expected.job);
  RasterSource source;
  ASSERT_EQ(source.Load(path), CaptureKind::RawJob);

  std::int32_t mode = -1, widthBytes = -1, bandHeight = -1;
  source.ReadBandHeader(mode, widthBytes, bandHeight);
  EXPECT_EQ(mode, expected.mode);
  EXPECT_EQ(widthBytes, expected.widthBytes);
  EXPECT_EQ(bandHeight, expected.bandHeight);
  EXPECT_EQ(source.mode, expected.mode);

  const std::uint8_t* pure = nullptr;
  std::int64_t pureLength = -1;
  ASSERT_TRUE(source.GatherPureData(pure, pureLength));
  EXPECT_EQ(pureLength, expected.pureLength);
  if (!expected.pure.empty()) {
    EXPECT_EQ(Bytes(pure, pure + pureLength), expected.pure);
  }

  const BandGeometry geometry = ComputeBandGeometry(mode, widthBytes, bandHeight, pureLength);
  EXPECT_EQ(geometry.bandCount, expected.bandCount);
  EXPECT_EQ(geometry.bitmapWidth, 8 * expected.widthBytes);
  EXPECT_EQ(geometry.bitmapHeight, expected.bitmapHeight);
  EXPECT_EQ(geometry.rowStride, expected.rowStride);
  EXPECT_EQ(geometry.paddedWidth, expected.paddedWidth);
  EXPECT_EQ(geometry.pixelBytes, expected.pixelBytes);
}

INSTANTIATE_TEST_SUITE_P(Table, BandLayout, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

// Writes `job` into `folder`, loads it as a raw job and reads its first band header.
void LoadAndReadHeader(const Bytes& job, const testing::TempFolder& folder, RasterSource& source) {
  std::filesystem::path path = folder / "job.prn";
  testing::WriteFile(path, job);
  ASSERT_EQ(source.Load(path), CaptureKind::RawJob);
  std::int32_t mode, widthBytes, bandHeight;
  source.ReadBandHeader(mode, widthBytes, bandHeight);
}

TEST(BandLayoutGather, ManyBandsKeepTheirOrder) {
  testing::TempFolder folder;
  RasterSource source;
  ASSERT_NO_FATAL_FAILURE(LoadAndReadHeader(FixedLayoutJob(72, 24, 20), folder, source));
  const std::uint8_t* pure = nullptr;
  std::int64_t pureLength = 0;
  ASSERT_TRUE(source.GatherPureData(pure, pureLength));
  ASSERT_EQ(pureLength, 72 * 24 * 20);
  for (std::int64_t index = 0; index < pureLength; ++index)
    ASSERT_EQ(pure[index], static_cast<std::uint8_t>(1 + index)) << "at " << index;
}

// A cut-off last band is completed when the job holds half of it, or the white
// rows stay under 1 MiB; beyond that the header does not belong to its data.
struct CompletionCase {
  const char* name;
  std::int64_t present;
  std::uint32_t widthBytes, height;
  bool completed;
};

class BandCompletion : public ::testing::TestWithParam<CompletionCase> {};

TEST_P(BandCompletion, IsBoundedByWhatTheJobHolds) {
  const CompletionCase& row = GetParam();
  const std::int64_t bandBytes = std::int64_t{row.widthBytes} * row.height;
  EXPECT_EQ(MayCompleteBand(row.present, bandBytes), row.completed);

  // The same through the loader: one band header and `present` data bytes.
  Bytes job = HexBytes("1b40 aaaaaaaaaa 1d7630 00");
  for (const std::uint32_t value : {row.widthBytes, row.height}) {
    job.push_back(static_cast<std::uint8_t>(value));
    job.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  job.resize(job.size() + static_cast<std::size_t>(row.present), 0x5A);
  testing::TempFolder folder;
  RasterSource source;
  ASSERT_NO_FATAL_FAILURE(LoadAndReadHeader(job, folder, source));
  EXPECT_EQ(source.PlanPureData().lastBandCompletable, row.completed);
  const std::uint8_t* pure = nullptr;
  std::int64_t pureLength = 0;
  EXPECT_EQ(source.GatherPureData(pure, pureLength), row.completed);
  if (row.completed) {
    EXPECT_EQ(pureLength, bandBytes);
  }
}

constexpr std::int64_t kMiB = 1 << 20;

INSTANTIATE_TEST_SUITE_P(
    Table, BandCompletion,
    ::testing::Values(CompletionCase{"WholeBand", 4 * kMiB, 1024, 4096, true},
                      CompletionCase{"HalfOfABigBand", 2 * kMiB, 1024, 4096, true},
                      CompletionCase{"JustUnderHalfOfABigBand", 2 * kMiB - 1, 1024, 4096, false},
                      CompletionCase{"TenBytesOfAHugeBand", 10, 65535, 4096, false},
                      CompletionCase{"OneByteOfAReceiptBand", 1, 72, 255, true},
                      CompletionCase{"JustUnderOneMebibyteMissing", 1025, 1024, 1025, true},
                      CompletionCase{"OneMebibyteMissing", 1024, 1024, 1025, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tesk::core

#include "core/raster_source.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/temp_folder.h"

namespace tesk::core {
namespace {

using testing::Bytes;
using testing::TempFolder;

struct LoadCase {
  const char* name;
  Bytes content;
  CaptureKind expected;
  std::int32_t dataLength;
};

void PrintTo(const LoadCase& load, std::ostream* out) { *out << load.name; }

class LoadKinds : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadKinds, RecognisesTheFileByItsFirstBytes) {
  TempFolder folder;
  std::filesystem::path path = folder / "input.bin";
  testing::WriteFile(path, GetParam().content);
  RasterSource source;
  EXPECT_EQ(source.Load(path), GetParam().expected);
  if (GetParam().expected == CaptureKind::RawJob) {
    EXPECT_EQ(source.dataLength, GetParam().dataLength);
    EXPECT_EQ(source.fileSize, static_cast<std::int32_t>(GetParam().content.size()));
    EXPECT_EQ(0, std::memcmp(source.data.data(), GetParam().content.data(), GetParam().content.size()));
  }
  EXPECT_EQ(path, folder / "input.bin");
}

INSTANTIATE_TEST_SUITE_P(
    Table, LoadKinds,
    ::testing::Values(
        LoadCase{"JustEscAt", {0x1B, 0x40}, CaptureKind::RawJob, 2},
        LoadCase{"RawJob", {0x1B, 0x40, 0x1D, 0x76, 0x30, 0x00}, CaptureKind::RawJob, 6},
        LoadCase{"EscAOtherByte", {0x1B, 0x41, 0x20, 0x20}, CaptureKind::Invalid, 0},
        LoadCase{"OneLetter", {'P'}, CaptureKind::Invalid, 0}, LoadCase{"Empty", {}, CaptureKind::Invalid, 0},
        LoadCase{"LoneEsc", {0x1B}, CaptureKind::Invalid, 0},
        LoadCase{"ZipSignatureOnly", {0x50, 0x4B, 0x03, 0x04}, CaptureKind::Invalid, 0},
        LoadCase{"Utf16Capture", {0xFF, 0xFE, 'B', 0, 'u', 0, 's', 0}, CaptureKind::Invalid, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RasterSourceLoad, MissingFileCannotBeOpened) {
  TempFolder folder;
  std::filesystem::path path = folder / "absent.prn";
  RasterSource source;
  EXPECT_EQ(source.Load(path), CaptureKind::OpenFailed);
  EXPECT_FALSE(source.file.IsOpen());
  std::filesystem::path directory = folder.path();
  EXPECT_EQ(source.Load(directory), CaptureKind::OpenFailed);
}

TEST(RasterSourceLoad, TextEndsAtTheFirstZeroByte) {
  TempFolder folder;
  std::filesystem::path path = folder / "capture.txt";
  testing::WriteFile(path, Bytes{'a', 'b', 0, 'c'});
  RasterSource source;
  EXPECT_EQ(source.Load(path), CaptureKind::Invalid);
  EXPECT_EQ(source.text, "ab");
}

TEST(RasterSourceLoad, KeepsTheLoadedFileHeldUntilTheNextLoad) {
  TempFolder folder;
  std::filesystem::path first = folder / "first.prn";
  std::filesystem::path second = folder / "second.prn";
  testing::WriteFile(first, Bytes{0x1B, 0x40});
  testing::WriteFile(second, Bytes{0x1B, 0x40, 0x00});
  RasterSource source;
  ASSERT_EQ(source.Load(first), CaptureKind::RawJob);
  EXPECT_TRUE(platform::IsHeldFile(first));
  ASSERT_EQ(source.Load(second), CaptureKind::RawJob);
  EXPECT_FALSE(platform::IsHeldFile(first));
  EXPECT_TRUE(platform::IsHeldFile(second));
}

}  // namespace
}  // namespace tesk::core

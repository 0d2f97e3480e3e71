// The loader's choice of capture reader: the whole reader when asked for it,
// and otherwise exactly the default decoder, on every capture of the table.

#include <gtest/gtest.h>

#include <algorithm>

#include "capture/capture_decoder.h"
#include "core/raster_source.h"
#include "tests/capture/whole_capture_cases.h"

namespace tesk::core {
namespace {

using capture::CaptureDecodeTarget;
using capture::DecodeCaptureText;
using capture::WholeCaptureCase;
using capture::WholeCaptureCases;
using testing::Bytes;

struct Loaded {
  CaptureKind kind = CaptureKind::OpenFailed;
  Bytes job;
  std::int32_t bytesPerLine = -1;
};

Loaded LoadText(const std::string& text, CaptureReading reading) {
  testing::TempFolder folder;
  std::filesystem::path path = folder / "capture.txt";
  testing::WriteFile(path, text);
  RasterSource source;
  source.captureReading = reading;
  Loaded loaded;
  loaded.kind = source.Load(path);
  if (loaded.kind == CaptureKind::CaptureText) {
    const auto job = source.Job();
    loaded.job.assign(job.begin(), job.end());
    EXPECT_TRUE(std::all_of(source.data.data() + source.dataLength, source.data.data() + source.data.size(),
                            [](std::uint8_t byte) { return byte == 0; }))
        << "bytes left behind the job";
  }
  loaded.bytesPerLine = source.bytesPerLine;
  return loaded;
}

class CaptureReadingChoice : public ::testing::TestWithParam<WholeCaptureCase> {};

TEST_P(CaptureReadingChoice, WholeReadingGivesTheJob) {
  const WholeCaptureCase& row = GetParam();
  const Loaded loaded = LoadText(row.text, CaptureReading::Whole);
  EXPECT_EQ(loaded.kind, row.job ? CaptureKind::CaptureText : CaptureKind::Invalid);
  EXPECT_EQ(loaded.job.size(), row.expected.size());
  EXPECT_TRUE(loaded.job == row.expected) << "the job differs";
}

TEST_P(CaptureReadingChoice, DefaultReadingIsTheDefaultDecoder) {
  const std::string& text = GetParam().text;
  std::vector<std::uint8_t> room(text.size(), 0);
  CaptureDecodeTarget target{room};
  const int result = DecodeCaptureText(std::string_view(text).substr(0, text.find('\0')), target);

  const Loaded loaded = LoadText(text, CaptureReading::Default);
  EXPECT_EQ(loaded.kind, result == 1 ? CaptureKind::CaptureText : CaptureKind::Invalid);
  if (result == 1) {
    EXPECT_TRUE(loaded.job == Bytes(room.begin(), room.begin() + target.dataLength)) << "the job differs";
    EXPECT_EQ(loaded.bytesPerLine, target.bytesPerLine);
  }
}

INSTANTIATE_TEST_SUITE_P(Table, CaptureReadingChoice, ::testing::ValuesIn(WholeCaptureCases()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tesk::core

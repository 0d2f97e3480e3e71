// USB packet captures through the loader and the run: kind 2, converted as
// decoded capture text is.

#include <gtest/gtest.h>

#include "core/conversion_run.h"
#include "core/run_messages.h"
#include "tests/core/job_builder.h"
#include "tools/usb_capture_writer.h"

namespace tesk::core {
namespace {

using testing::Bytes;
using testing::TempFolder;
namespace fs = std::filesystem;

Bytes SessionCapture(const Bytes& job, std::uint16_t linkType = 220) {
  tools::UsbCaptureWriter writer({.file = tools::CaptureFile::PcapNg, .linkType = linkType});
  writer.Add(tools::MakePrinterSession(job, 7));
  return writer.Bytes();
}

TEST(UsbCaptureLoad, TakesTheJobOutOfTheCapture) {
  TempFolder folder;
  fs::path path = folder / "session.pcapng";
  const Bytes job = testing::FixedLayoutJob(3, 2, 2);
  const Bytes capture = SessionCapture(job);
  testing::WriteFile(path, capture);
  RasterSource source;
  ASSERT_EQ(source.Load(path), CaptureKind::UsbPacketCapture);
  EXPECT_EQ(source.dataLength, static_cast<std::int32_t>(job.size()));
  EXPECT_EQ(source.fileSize, static_cast<std::int32_t>(capture.size()));
  EXPECT_EQ(Bytes(source.Job().begin(), source.Job().end()), job);
  for (std::size_t index = job.size(); index < source.data.size(); ++index) ASSERT_EQ(source.data[index], 0);
  EXPECT_EQ(source.usbCapture.transfersTaken, (job.size() + 6) / 7);
  EXPECT_TRUE(source.usbTransfers.empty());  // listed only when asked for
  EXPECT_TRUE(platform::IsHeldFile(path));

  // Another link type is a capture without a job, not a capture text.
  fs::path other = folder / "ethernet.pcapng";
  testing::WriteFile(other, SessionCapture(job, 1));
  EXPECT_EQ(source.Load(other), CaptureKind::Invalid);
  EXPECT_EQ(source.usbCapture.transfersTaken, 0u);
  EXPECT_TRUE(source.text.empty());
}

TEST(UsbCaptureLoad, RunWritesThePlainBinaryAsForCaptureText) {
  TempFolder folder;
  const Bytes job = testing::FixedLayoutJob(3, 2, 2);
  const fs::path input = folder / "session.pcapng";
  testing::WriteFile(input, SessionCapture(job));
  RasterSource source;
  image::DibImage image;
  RunFigures figures;
  EXPECT_FALSE(RunConversion(input, RunOptions{}, figures, source, image).has_value());
  EXPECT_EQ(testing::ReadFile(folder / "session.bin"), job);
  EXPECT_EQ(figures.bandCount, 2);

  // Named like its own ".bin", the capture cannot be replaced by it.
  const fs::path named = folder / "held.bin";
  testing::WriteFile(named, SessionCapture(job));
  const auto message = RunConversion(named, RunOptions{}, figures, source, image);
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->text, MakeRunMessage(RunMessageCode::PlainBinaryFailed).text);
}

}  // namespace
}  // namespace tesk::core

// The band layout, the DIB, the BMP and the PNG on arbitrary raw jobs.

#include <cstdlib>
#include <vector>

#include "core/band_geometry.h"
#include "core/picture_limits.h"
#include "core/raster_source.h"
#include "fuzz/fuzz_sandbox.h"
#include "image/bmp_file.h"
#include "image/png_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tesk;
  if (size < 1) return 0;
  fuzz::LowerLimitsForFuzzing();
  fuzz::FuzzSandbox sandbox;
  // The first byte picks the row order; the rest is the job behind ESC @.
  const bool bottomUp = (data[0] & 1) != 0;
  std::vector<std::uint8_t> job = {0x1B, 0x40};
  job.insert(job.end(), data + 1, data + size);
  std::filesystem::path path = sandbox.WriteInput("job.prn", job);

  core::RasterSource source;
  if (source.Load(path) != core::CaptureKind::RawJob) std::abort();
  std::int32_t mode, widthBytes, bandHeight;
  source.ReadBandHeader(mode, widthBytes, bandHeight);
  const core::PureDataPlan plan = source.PlanPureData();
  const core::BandGeometry planned = core::ComputeBandGeometry(mode, widthBytes, bandHeight, plan.pureLength);
  if (planned.pureLength > core::PictureByteLimit() || planned.pixelBytes > core::PictureByteLimit())
    return 0;
  const std::uint8_t* pure = nullptr;
  std::int64_t pureLength = 0;
  if (!source.GatherPureData(pure, pureLength)) return 0;
  if (pureLength != plan.pureLength) std::abort();
  const core::BandGeometry geometry = core::ComputeBandGeometry(mode, widthBytes, bandHeight, pureLength);
  const image::PictureGeometry picture{geometry.widthBytes, geometry.bitmapWidth, geometry.bitmapHeight,
                                       geometry.rowStride, geometry.pixelBytes};
  const std::span<const std::uint8_t> pureData(pure, static_cast<std::size_t>(pureLength));
  image::DibImage dib;
  if (!image::BuildDibImage(dib, pureData, picture, bottomUp)) return 0;
  const auto bmp = image::WriteBmpFile(dib, sandbox.work() / "job.bmp");
  if (bmp.status == platform::FileWriteResult::Status::Written &&
      bmp.length != static_cast<std::uint64_t>(geometry.pixelBytes) + 62)
    std::abort();
  image::WritePngFile(pureData, picture, sandbox.work() / "job.png");
  sandbox.CheckNothingEscaped();
  return 0;
}

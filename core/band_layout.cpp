// Where the raster bands lie in a job: the first GS v 0 header at offset 7 (or
// 10), each later band 11 bytes after the previous band's data, every band as
// wide and as high as the first.

#include <algorithm>
#include <cstring>

#include "core/raster_source.h"

namespace tesk::core {

bool RasterSource::FirstHeaderAtSeven() const { return JobByte(7) == 0x1D && JobByte(8) == 0x76; }

// Bytes past the job read as zero, as they do in the zero-filled buffer of a
// decoded capture; nothing outside the buffer is ever read.
std::uint8_t RasterSource::JobByte(std::int64_t index) const {
  return index >= 0 && index < dataLength ? data[static_cast<std::size_t>(index)] : 0;
}

void RasterSource::ReadBandHeader(std::int32_t& modeOut, std::int32_t& widthBytesOut,
                                  std::int32_t& bandHeightOut) {
  const std::int64_t h = FirstHeaderAtSeven() ? 10 : 13;
  mode = JobByte(h);
  widthBytes = JobByte(h + 1) + 256 * JobByte(h + 2);
  bandHeight = JobByte(h + 3) + 256 * JobByte(h + 4);
  modeOut = mode;
  widthBytesOut = widthBytes;
  bandHeightOut = bandHeight;
}

PureDataPlan RasterSource::PlanPureData() const {
  PureDataPlan plan;
  plan.bandBytes = std::int64_t{widthBytes} * bandHeight;
  if (plan.bandBytes == 0) return plan;
  const std::int64_t firstData = FirstHeaderAtSeven() ? 15 : 18;
  if (dataLength > firstData) {
    const std::int64_t stride = plan.bandBytes + 11;
    plan.bandCount = (dataLength - firstData + stride - 1) / stride;
  }
  plan.pureLength = plan.bandCount * plan.bandBytes;
  return plan;
}

bool RasterSource::GatherPureData(const std::uint8_t*& pureData, std::int64_t& pureLength) {
  const PureDataPlan plan = PlanPureData();
  const std::int64_t firstData = FirstHeaderAtSeven() ? 15 : 18;
  if (plan.pureLength > static_cast<std::int64_t>(data.size()) &&
      !data.Grow(static_cast<std::size_t>(plan.pureLength))) {
    pureData = data.data();
    pureLength = 0;
    return false;
  }
  std::int64_t source = firstData;
  for (std::int64_t band = 0; band < plan.bandCount; ++band) {
    const std::int64_t destination = band * plan.bandBytes;
    const std::int64_t present = std::min(plan.bandBytes, std::int64_t{dataLength} - source);
    // The destination always lies before the source, so an ascending move is safe.
    std::memmove(data.data() + destination, data.data() + source, static_cast<std::size_t>(present));
    std::memset(data.data() + destination + present, 0,
                static_cast<std::size_t>(plan.bandBytes - present));
    source += plan.bandBytes + 11;
  }
  pureData = data.data();
  pureLength = plan.pureLength;
  return true;
}

}  // namespace tesk::core

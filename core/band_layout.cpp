#include "core/band_layout.h"

#include <algorithm>
#include <cstring>

#include "core/raster_source.h"

namespace tesk::core {
namespace {

// Bytes past the job read as zero, as they do in the zero-filled buffer of a
// decoded capture; nothing outside the job is ever read.
std::uint8_t JobByteAt(std::span<const std::uint8_t> job, std::int64_t index) {
  return index >= 0 && index < static_cast<std::int64_t>(job.size()) ? job[static_cast<std::size_t>(index)]
                                                                     : 0;
}

}  // namespace

bool MayCompleteBand(std::int64_t presentBytes, std::int64_t bandBytes) {
  const std::int64_t missing = bandBytes - presentBytes;
  return missing < kLargestBandCompletion || presentBytes >= bandBytes - bandBytes / 2;
}

std::int64_t CountFixedBands(std::int64_t jobLength, std::int64_t firstDataOffset, std::int64_t bandBytes) {
  if (bandBytes == 0 || jobLength <= firstDataOffset) return 0;
  const std::int64_t stride = bandBytes + 11;
  return (jobLength - firstDataOffset + stride - 1) / stride;
}

FixedBandLayout PlanFixedLayout(std::span<const std::uint8_t> job) {
  FixedBandLayout layout;
  layout.headerAtSeven = JobByteAt(job, 7) == 0x1D && JobByteAt(job, 8) == 0x76;
  const std::int64_t h = layout.headerAtSeven ? 10 : 13;
  layout.firstDataOffset = layout.headerAtSeven ? 15 : 18;
  layout.mode = JobByteAt(job, h);
  layout.widthBytes = JobByteAt(job, h + 1) + 256 * JobByteAt(job, h + 2);
  layout.bandHeight = JobByteAt(job, h + 3) + 256 * JobByteAt(job, h + 4);
  layout.bandBytes = std::int64_t{layout.widthBytes} * layout.bandHeight;
  layout.bandCount =
      CountFixedBands(static_cast<std::int64_t>(job.size()), layout.firstDataOffset, layout.bandBytes);
  return layout;
}

std::span<const std::uint8_t> RasterSource::Job() const {
  return {data.data(), static_cast<std::size_t>(dataLength)};
}

void RasterSource::ReadBandHeader(std::int32_t& modeOut, std::int32_t& widthBytesOut,
                                  std::int32_t& bandHeightOut) {
  const FixedBandLayout layout = PlanFixedLayout(Job());
  mode = layout.mode;
  widthBytes = layout.widthBytes;
  bandHeight = layout.bandHeight;
  modeOut = mode;
  widthBytesOut = widthBytes;
  bandHeightOut = bandHeight;
}

PureDataPlan RasterSource::PlanPureData() const {
  PureDataPlan plan;
  plan.firstDataOffset = PlanFixedLayout(Job()).firstDataOffset;
  plan.bandBytes = std::int64_t{widthBytes} * bandHeight;
  plan.bandCount = CountFixedBands(dataLength, plan.firstDataOffset, plan.bandBytes);
  plan.pureLength = plan.bandCount * plan.bandBytes;
  if (plan.bandCount > 0) {
    const std::int64_t lastBandStart = plan.firstDataOffset + (plan.bandCount - 1) * (plan.bandBytes + 11);
    const std::int64_t present = std::min(plan.bandBytes, std::int64_t{dataLength} - lastBandStart);
    plan.lastBandCompletable = MayCompleteBand(present, plan.bandBytes);
  }
  return plan;
}

bool RasterSource::GatherPureData(const std::uint8_t*& pureData, std::int64_t& pureLength) {
  const PureDataPlan plan = PlanPureData();
  if (!plan.lastBandCompletable || (plan.pureLength > static_cast<std::int64_t>(data.size()) &&
                                    !data.Grow(static_cast<std::size_t>(plan.pureLength)))) {
    pureData = data.data();
    pureLength = 0;
    return false;
  }
  std::int64_t source = plan.firstDataOffset;
  for (std::int64_t band = 0; band < plan.bandCount; ++band) {
    const std::int64_t destination = band * plan.bandBytes;
    const std::int64_t present = std::min(plan.bandBytes, std::int64_t{dataLength} - source);
    // The destination always lies before the source, so an ascending move is safe.
    std::memmove(data.data() + destination, data.data() + source, static_cast<std::size_t>(present));
    // A band cut off by the end of the job is completed with white rows.
    std::memset(data.data() + destination + present, 0, static_cast<std::size_t>(plan.bandBytes - present));
    source += plan.bandBytes + 11;
  }
  pureData = data.data();
  pureLength = plan.pureLength;
  return true;
}

}  // namespace tesk::core

#include "core/band_gathering.h"

#include <cstring>

#include "core/command_layout.h"
#include "core/picture_limits.h"
#include "core/run_messages.h"

namespace tesk::core {
namespace {

bool BeyondPictureLimit(const BandGeometry& geometry) {
  return geometry.pureLength > PictureByteLimit() || geometry.pixelBytes > PictureByteLimit();
}

void ReportHeader(std::int32_t mode, std::int32_t widthBytes, std::int32_t bandHeight,
                  RunFigures& figures) {
  figures.mode = mode;
  figures.widthBytes = widthBytes;
  figures.bandHeight = bandHeight;
}

void ReportGeometry(const BandGeometry& geometry, RunFigures& figures) {
  figures.bandCount = geometry.bandCount;
  figures.bitmapWidth = geometry.bitmapWidth;
  figures.bitmapHeight = geometry.bitmapHeight;
  figures.paddedWidth = geometry.paddedWidth;
}

std::optional<RunMessage> GatherFromFixedLayout(RasterSource& source, RunFigures& figures,
                                                BandGeometry& geometry) {
  std::int32_t mode = 0;
  std::int32_t widthBytes = 0;
  std::int32_t bandHeight = 0;
  source.ReadBandHeader(mode, widthBytes, bandHeight);
  ReportHeader(mode, widthBytes, bandHeight, figures);

  // A header that asks for more than any real job needs is corrupt.
  const PureDataPlan plan = source.PlanPureData();
  if (BeyondPictureLimit(ComputeBandGeometry(mode, widthBytes, bandHeight, plan.pureLength)))
    return MakeRunMessage(RunMessageCode::InvalidData);
  const std::uint8_t* pureData = nullptr;
  std::int64_t pureLength = 0;
  if (!source.GatherPureData(pureData, pureLength)) return MakeRunMessage(RunMessageCode::LoadFailed);
  geometry = ComputeBandGeometry(mode, widthBytes, bandHeight, pureLength);
  ReportGeometry(geometry, figures);
  return std::nullopt;
}

std::optional<RunMessage> GatherFromCommands(RasterSource& source, RunFigures& figures,
                                             BandGeometry& geometry) {
  const CommandBandLayout layout = PlanCommandLayout(source.Job());
  // An empty picture would look like success; say what is missing instead.
  if (layout.bands.empty()) return MakeRunMessage(RunMessageCode::NoRasterCommand);
  source.mode = layout.mode;
  source.widthBytes = layout.widthBytes;
  source.bandHeight = layout.bandHeight;
  ReportHeader(layout.mode, layout.widthBytes, layout.bandHeight, figures);

  geometry = ComputeBandGeometry(layout.mode, layout.widthBytes, layout.bandHeight, layout.pureLength);
  geometry.bandCount = static_cast<std::int64_t>(layout.bands.size());
  geometry.bitmapHeight = layout.bitmapHeight;
  geometry.pixelBytes = geometry.rowStride * geometry.bitmapHeight;
  if (BeyondPictureLimit(geometry)) return MakeRunMessage(RunMessageCode::InvalidData);
  ByteBuffer pureData;
  if (!GatherCommandBands(source.Job(), layout, pureData)) return MakeRunMessage(RunMessageCode::LoadFailed);
  // The pure data stand at the front of the job buffer, as the fixed layout
  // leaves them; the job itself is of no further use.
  if (pureData.size() > source.data.size() && !source.data.Grow(pureData.size()))
    return MakeRunMessage(RunMessageCode::LoadFailed);
  std::memcpy(source.data.data(), pureData.data(), pureData.size());
  ReportGeometry(geometry, figures);
  return std::nullopt;
}

}  // namespace

image::PictureGeometry PictureGeometryOf(const BandGeometry& geometry) {
  return {geometry.widthBytes, geometry.bitmapWidth, geometry.bitmapHeight, geometry.rowStride,
          geometry.pixelBytes};
}

std::optional<RunMessage> GatherBands(RasterSource& source, BandLayoutChoice layout, RunFigures& figures,
                                      BandGeometry& geometry) {
  return layout == BandLayoutChoice::Commands ? GatherFromCommands(source, figures, geometry)
                                              : GatherFromFixedLayout(source, figures, geometry);
}

}  // namespace tesk::core

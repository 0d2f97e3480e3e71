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

std::optional<RunMessage> GatherFromFixedLayout(RasterSource& source, std::optional<BandHeader>& readHeader,
                                                BandGeometry& geometry) {
  BandHeader& header = readHeader.emplace();
  source.ReadBandHeader(header.mode, header.widthBytes, header.bandHeight);

  // A header that asks for more than any real job needs, or for far more than
  // the job holds, is corrupt.
  const PureDataPlan plan = source.PlanPureData();
  if (!plan.lastBandCompletable ||
      BeyondPictureLimit(
          ComputeBandGeometry(header.mode, header.widthBytes, header.bandHeight, plan.pureLength)))
    return MakeRunMessage(RunMessageCode::InvalidData);
  const std::uint8_t* pureData = nullptr;
  std::int64_t pureLength = 0;
  if (!source.GatherPureData(pureData, pureLength)) return MakeRunMessage(RunMessageCode::LoadFailed);
  geometry = ComputeBandGeometry(header.mode, header.widthBytes, header.bandHeight, pureLength);
  return std::nullopt;
}

std::optional<RunMessage> GatherFromCommands(RasterSource& source, std::optional<BandHeader>& header,
                                             BandGeometry& geometry) {
  const CommandBandLayout layout = PlanCommandLayout(source.Job());
  if (!layout.complete) return MakeRunMessage(RunMessageCode::LoadFailed);  // no memory for the list of bands
  // An empty picture would look like success; say what is missing instead.
  if (layout.bands.empty()) return MakeRunMessage(RunMessageCode::NoRasterCommand);
  source.mode = layout.mode;
  source.widthBytes = layout.widthBytes;
  source.bandHeight = layout.bandHeight;
  header = BandHeader{layout.mode, layout.widthBytes, layout.bandHeight};

  geometry = ComputeBandGeometry(layout.mode, layout.widthBytes, layout.bandHeight, layout.pureLength);
  geometry.bandCount = static_cast<std::int64_t>(layout.bands.size());
  geometry.bitmapHeight = layout.bitmapHeight;
  geometry.pixelBytes = geometry.rowStride * geometry.bitmapHeight;
  if (!layout.lastBandCompletable || BeyondPictureLimit(geometry))
    return MakeRunMessage(RunMessageCode::InvalidData);
  ByteBuffer pureData;
  if (!GatherCommandBands(source.Job(), layout, pureData)) return MakeRunMessage(RunMessageCode::LoadFailed);
  // The pure data stand at the front of the job buffer, as the fixed layout
  // leaves them; the job itself is of no further use.
  if (pureData.size() > source.data.size() && !source.data.Grow(pureData.size()))
    return MakeRunMessage(RunMessageCode::LoadFailed);
  std::memcpy(source.data.data(), pureData.data(), pureData.size());
  return std::nullopt;
}

}  // namespace

void ReportHeader(const BandHeader& header, RunFigures& figures) {
  figures.mode = header.mode;
  figures.widthBytes = header.widthBytes;
  figures.bandHeight = header.bandHeight;
}

void ReportGeometry(const BandGeometry& geometry, RunFigures& figures) {
  figures.bandCount = geometry.bandCount;
  figures.bitmapWidth = geometry.bitmapWidth;
  figures.bitmapHeight = geometry.bitmapHeight;
  figures.paddedWidth = geometry.paddedWidth;
}

image::PictureGeometry PictureGeometryOf(const BandGeometry& geometry) {
  return {geometry.widthBytes, geometry.bitmapWidth, geometry.bitmapHeight, geometry.rowStride,
          geometry.pixelBytes};
}

std::optional<RunMessage> GatherBands(RasterSource& source, BandLayoutChoice layout,
                                      std::optional<BandHeader>& header, BandGeometry& geometry) {
  return layout == BandLayoutChoice::Commands ? GatherFromCommands(source, header, geometry)
                                              : GatherFromFixedLayout(source, header, geometry);
}

std::optional<RunMessage> GatherBands(RasterSource& source, BandLayoutChoice layout, RunFigures& figures,
                                      BandGeometry& geometry) {
  std::optional<BandHeader> header;
  std::optional<RunMessage> message = GatherBands(source, layout, header, geometry);
  if (header) ReportHeader(*header, figures);
  if (!message) ReportGeometry(geometry, figures);
  return message;
}

}  // namespace tesk::core

#pragma once
// Band header and pure data: the dot rows of every band gathered, in place, at
// the front of the loader's job buffer, with the figures of the picture they make.

#include <cstdint>
#include <optional>

#include "core/band_geometry.h"
#include "core/raster_source.h"
#include "core/run_types.h"
#include "image/dib_image.h"

namespace tesk::core {

struct BandHeader {
  std::int32_t mode = 0;
  std::int32_t widthBytes = 0;
  std::int32_t bandHeight = 0;
};

void ReportHeader(const BandHeader& header, RunFigures& figures);
void ReportGeometry(const BandGeometry& geometry, RunFigures& figures);

// Gathers the bands with the chosen layout. The job in `source` is gone
// afterwards: its first geometry.pureLength bytes are the pure data. `header`
// is what was read of the first band (none when the job has no band to read it
// from). Returns the message that ends the run when no picture can be had.
std::optional<RunMessage> GatherBands(RasterSource& source, BandLayoutChoice layout,
                                      std::optional<BandHeader>& header, BandGeometry& geometry);

// The same, with the header and the geometry reported as figures in the order
// a run reports them.
std::optional<RunMessage> GatherBands(RasterSource& source, BandLayoutChoice layout, RunFigures& figures,
                                      BandGeometry& geometry);

image::PictureGeometry PictureGeometryOf(const BandGeometry& geometry);

}  // namespace tesk::core

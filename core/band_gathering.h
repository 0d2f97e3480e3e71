#pragma once
// Band header and pure data: the dot rows of every band gathered, in place, at
// the front of the loader's job buffer, with the figures of the picture they make.

#include <optional>

#include "core/band_geometry.h"
#include "core/raster_source.h"
#include "core/run_types.h"
#include "image/dib_image.h"

namespace tesk::core {

// Gathers the bands with the chosen layout. The job in `source` is gone
// afterwards: its first geometry.pureLength bytes are the pure data. Returns
// the message that ends the run when no picture can be had.
std::optional<RunMessage> GatherBands(RasterSource& source, BandLayoutChoice layout, RunFigures& figures,
                                      BandGeometry& geometry);

image::PictureGeometry PictureGeometryOf(const BandGeometry& geometry);

}  // namespace tesk::core

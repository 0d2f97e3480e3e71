#pragma once
// One conversion: from the path of an input file to the finished set of
// outputs beside it, the figures of the job and at most one message.

#include <filesystem>
#include <optional>

#include "core/raster_source.h"
#include "core/run_types.h"
#include "image/dib_image.h"

namespace tesk::core {

// Output names: the loaded path with its extension removed, then the suffix.
std::filesystem::path OutputBase(const std::filesystem::path& loadedPath);
std::filesystem::path OutputPath(const std::filesystem::path& base, const char* suffix);

// Runs every stage in order. `source` and `image` live on between runs (the
// loaded file stays held; the view keeps drawing the image). Returns the
// message that ended the run, or none when it went through.
std::optional<RunMessage> RunConversion(const std::filesystem::path& inputPath, const RunOptions& options,
                                        RunFigures& figures, RasterSource& source, image::DibImage& image);

}  // namespace tesk::core

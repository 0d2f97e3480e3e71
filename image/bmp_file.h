#pragma once

#include <filesystem>

#include "image/dib_image.h"
#include "platform/output_file.h"

namespace tesk::image {

inline constexpr std::size_t kBmpHeaderBytes = 62;  // file header, info header, palette

// Writes the DIB as a BMP file; Written carries the length read back from the
// open file after the last write.
platform::FileWriteResult WriteBmpFile(const DibImage& image, const std::filesystem::path& path);

}  // namespace tesk::image

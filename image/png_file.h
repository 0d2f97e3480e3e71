#pragma once

#include <filesystem>
#include <span>

#include "image/dib_image.h"
#include "image/png_encoding.h"
#include "platform/output_file.h"

namespace tesk::image {

// Encodes the pure dot data as a 1-bit palette PNG (top row first, whatever the
// DIB's row order) and writes it. NotCreated also covers an encoding failure,
// a picture without rows, which PNG cannot hold, and a file that was gone
// again before its length could be read. Written carries the length read back
// from the finished file.
platform::FileWriteResult WritePngFile(std::span<const std::uint8_t> pureData,
                                       const PictureGeometry& geometry, const std::filesystem::path& path);

// The same for a picture encoded beforehand (EncodePngPicture); an encoding
// that failed gives NotCreated and no file.
platform::FileWriteResult WriteEncodedPngFile(const EncodedPng& png, const std::filesystem::path& path);

}  // namespace tesk::image

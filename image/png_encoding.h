#pragma once
// The 1-bit palette PNG of a picture, encoded in memory.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>

#include "image/dib_image.h"

namespace tesk::image {

// The encoder's output buffer, released with the library's deallocator.
struct EncodedPng {
  struct FreeBuffer {
    void operator()(unsigned char* bytes) const { std::free(bytes); }
  };
  std::unique_ptr<unsigned char[], FreeBuffer> buffer;
  std::size_t size = 0;
  unsigned error = 0;  // the encoder's code; 0 when `buffer` holds the file

  std::span<const std::uint8_t> Bytes() const { return {buffer.get(), size}; }
};

// Refusals of our own, outside the encoder's range of codes.
inline constexpr unsigned kPngNoPixels = 0x1001;         // no rows or no columns
inline constexpr unsigned kPngShortPureData = 0x1002;    // fewer bytes than the picture needs
inline constexpr unsigned kPngPictureTooLarge = 0x1003;  // beyond what a PNG header can hold

// Encodes bitmapHeight rows of widthBytes bytes, top row first, with no
// padding. A picture without rows, or pure data shorter than the picture,
// is refused before the encoder sees it (error set, no buffer).
EncodedPng EncodePngPicture(std::span<const std::uint8_t> pureData, const PictureGeometry& geometry);

// Test hook: the next encoding fails inside the encoder, as it does when the
// encoder runs out of memory.
void FailNextPngEncoding();

}  // namespace tesk::image

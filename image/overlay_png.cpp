#include "image/overlay_png.h"

#include <lodepng.h>

#include <vector>

namespace tesk::image {
namespace {

struct Colour {
  unsigned char red, green, blue;
};
constexpr Colour kOverlayPalette[] = {{255, 255, 255}, {0, 0, 0}, {255, 0, 0}, {0, 0, 255}};

}  // namespace

EncodedPng EncodeOverlayPng(std::span<const std::uint8_t> indices, std::int64_t width, std::int64_t height) {
  EncodedPng result;
  if (width <= 0 || height <= 0) {
    result.error = kPngNoPixels;  // a PNG header cannot say zero
    return result;
  }
  if (width > INT32_MAX || height > INT32_MAX) {
    result.error = kPngPictureTooLarge;
    return result;
  }
  if (indices.size() < static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height)) {
    result.error = kPngShortPureData;
    return result;
  }
  // Four colours fit two bits a pixel; the rows are packed here so that the
  // encoder stores them as they are.
  const std::int64_t rowBytes = (width + 3) / 4;
  std::vector<unsigned char> packed(static_cast<std::size_t>(rowBytes * height), 0);
  for (std::int64_t y = 0; y < height; ++y)
    for (std::int64_t x = 0; x < width; ++x) {
      const unsigned index = indices[static_cast<std::size_t>(y * width + x)] & 3;
      packed[static_cast<std::size_t>(y * rowBytes + x / 4)] |=
          static_cast<unsigned char>(index << (6 - 2 * (x % 4)));
    }

  LodePNGState state;
  lodepng_state_init(&state);
  state.info_png.color.colortype = LCT_PALETTE;
  state.info_png.color.bitdepth = 2;
  state.info_raw.colortype = LCT_PALETTE;
  state.info_raw.bitdepth = 2;
  for (const Colour& colour : kOverlayPalette) {
    lodepng_palette_add(&state.info_png.color, colour.red, colour.green, colour.blue, 255);
    lodepng_palette_add(&state.info_raw, colour.red, colour.green, colour.blue, 255);
  }
  state.encoder.auto_convert = 0;
  state.encoder.add_id = 0;
  state.encoder.filter_palette_zero = 1;
  unsigned char* buffer = nullptr;
  std::size_t size = 0;
  result.error = lodepng_encode(&buffer, &size, packed.data(), static_cast<unsigned>(width),
                                static_cast<unsigned>(height), &state);
  lodepng_state_cleanup(&state);
  result.buffer.reset(buffer);
  result.size = result.error == 0 ? size : 0;
  return result;
}

}  // namespace tesk::image

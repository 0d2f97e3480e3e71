#include "image/png_encoding.h"

#include <lodepng.h>

#include <cstdint>

namespace tesk::image {
namespace {

bool failNextEncoding = false;

// Stands in for the compressor when a test asks for a failing encoding; the
// encoder then unwinds exactly as after a failed allocation of its own.
unsigned FailCompression(unsigned char**, size_t*, const unsigned char*, size_t,
                         const LodePNGCompressSettings*) {
  return 83;  // the encoder's code for "memory allocation failed"
}

void AddOpaque(LodePNGColorMode& mode, unsigned char red, unsigned char green, unsigned char blue) {
  lodepng_palette_add(&mode, red, green, blue, 255);  // cannot fail below 256 entries
}

// Every field that shapes the file is set here rather than left to the
// library, so the output stays the same when a newer library moves a default.
void ConfigureEncoder(LodePNGState& state) {
  LodePNGInfo& png = state.info_png;
  png.compression_method = 0;
  png.filter_method = 0;
  png.interlace_method = 0;
  png.color.colortype = LCT_PALETTE;
  png.color.bitdepth = 1;
  png.color.key_defined = 0;
  png.background_defined = 0;
  png.time_defined = 0;
  png.phys_defined = 0;
  png.gama_defined = 0;
  png.chrm_defined = 0;
  png.srgb_defined = 0;
  png.iccp_defined = 0;

  LodePNGColorMode& raw = state.info_raw;
  raw.colortype = LCT_PALETTE;
  raw.bitdepth = 1;
  raw.key_defined = 0;

  // Alternately, so both modes get index 0 white and index 1 black; since the
  // two modes are then equal, the dots go into the file unconverted.
  AddOpaque(png.color, 255, 255, 255);
  AddOpaque(raw, 255, 255, 255);
  AddOpaque(png.color, 0, 0, 0);
  AddOpaque(raw, 0, 0, 0);

  LodePNGEncoderSettings& encoder = state.encoder;
  encoder.auto_convert = 0;
  // Palette rows are stored unfiltered, the usual choice for palette images.
  encoder.filter_palette_zero = 1;
  encoder.filter_strategy = LFS_MINSUM;
  encoder.predefined_filters = nullptr;
  encoder.force_palette = 0;
  encoder.add_id = 0;  // no identification text chunk
  encoder.text_compression = 1;

  LodePNGCompressSettings& deflate = encoder.zlibsettings;
  deflate.btype = 2;
  deflate.use_lz77 = 1;
  deflate.windowsize = 2048;
  deflate.minmatch = 3;
  deflate.nicematch = 128;
  deflate.lazymatching = 1;
  deflate.custom_zlib = nullptr;
  deflate.custom_deflate = nullptr;
  deflate.custom_context = nullptr;
}

}  // namespace

void FailNextPngEncoding() { failNextEncoding = true; }

EncodedPng EncodePngPicture(std::span<const std::uint8_t> pureData, const PictureGeometry& geometry) {
  EncodedPng result;
  if (geometry.widthBytes <= 0 || geometry.bitmapHeight <= 0) {
    result.error = kPngNoPixels;  // a PNG header cannot say zero
    return result;
  }
  // PNG dimensions are at most 2^31 - 1.
  const std::int64_t width = 8 * geometry.widthBytes;
  if (width > INT32_MAX || geometry.bitmapHeight > INT32_MAX) {
    result.error = kPngPictureTooLarge;
    return result;
  }
  // The encoder takes no length: it reads width x height dots, so the bytes
  // must be there before it is called.
  const auto needed =
      static_cast<std::uint64_t>(geometry.widthBytes) * static_cast<std::uint64_t>(geometry.bitmapHeight);
  if (pureData.size() < needed) {
    result.error = kPngShortPureData;
    return result;
  }

  LodePNGState state;
  lodepng_state_init(&state);
  ConfigureEncoder(state);
  if (failNextEncoding) {
    failNextEncoding = false;
    state.encoder.zlibsettings.custom_zlib = FailCompression;
  }
  unsigned char* buffer = nullptr;
  std::size_t size = 0;
  result.error = lodepng_encode(&buffer, &size, pureData.data(), static_cast<unsigned>(width),
                                static_cast<unsigned>(geometry.bitmapHeight), &state);
  lodepng_state_cleanup(&state);
  // The buffer is released in every case; after a failure it may be partly filled.
  result.buffer.reset(buffer);
  result.size = result.error == 0 ? size : 0;
  return result;
}

}  // namespace tesk::image

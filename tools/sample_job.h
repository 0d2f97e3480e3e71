#pragma once
// Makes print jobs of our own for the samples, the tests and the benchmarks.

#include <cstdint>
#include <string_view>
#include <vector>

namespace tesk::tools {

// A 1-bit picture in the layout of the pure dot data: rows of widthBytes bytes,
// top row first, most significant bit leftmost, 1 = black.
struct DotPicture {
  int widthBytes = 0;
  int height = 0;
  std::vector<std::uint8_t> rows;

  DotPicture(int widthBytesIn, int heightIn);
  void SetDot(int x, int y);
  void FillRect(int x, int y, int width, int height);
  // Capital letters, digits and " .:-" in a 5x7 font scaled by `scale`.
  void DrawText(int x, int y, int scale, std::string_view text);
};

// A receipt-like picture: a framed title, item lines, a total and a barcode.
// `height` rows; the content repeats downwards on tall pictures.
DotPicture MakeReceiptPicture(int widthBytes, int height);

// The job as the fixed band layout expects it: ESC @, five bytes of set-up
// (ESC a 1, ESC 2), then one GS v 0 band per `bandHeight` rows (the first
// header at offset 7), three bytes (ESC J 0) between bands, and a feed and cut
// at the end. The picture's height must be a multiple of bandHeight.
std::vector<std::uint8_t> BuildFixedLayoutJob(const DotPicture& picture, int bandHeight,
                                              std::uint8_t mode = 0);

// The job as a Windows receipt driver writes it: ESC @, two feeds (ESC J 255,
// ESC J 225; with `firstBandAt` 10 an ESC 2 comes first), then per band of
// `bandHeight` rows either GS v 0 and its rows followed by 00 ESC $ 1 0
// ESC J bandHeight, or, for a band without a black dot, ESC J 48 alone; at the
// end ESC J 180 and a feed and cut. The first band stands at offset 8 or 10 and
// later bands 16 bytes after the previous band's data, where the fixed layout
// expects 11. The picture's height must be a multiple of bandHeight.
std::vector<std::uint8_t> BuildDriverJob(const DotPicture& picture, int bandHeight, int firstBandAt);

}  // namespace tesk::tools

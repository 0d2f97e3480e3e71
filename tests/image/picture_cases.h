#pragma once
// Small 1-bit pictures written as bit strings, one string per row, top row
// first, "1" a black dot. Every row differs from the others and from its own
// mirror image, so a flipped, reversed or shifted picture cannot pass.

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "image/dib_image.h"
#include "tests/support/temp_folder.h"

namespace tesk::testing {

struct PictureCase {
  const char* name;
  int widthBytes;
  std::vector<std::string> rows;  // bits; spaces between bytes are ignored

  int Height() const { return static_cast<int>(rows.size()); }
  // The rows packed as the pure dot data: widthBytes bytes per row, no padding.
  std::vector<std::uint8_t> PureData() const;
  // The rows without their spaces, as a decoder prints them.
  std::vector<std::string> DotRows() const;
  image::PictureGeometry Geometry() const;
};

const std::vector<PictureCase>& PictureCases();

// Names the case in test output instead of dumping its bytes.
inline void PrintTo(const PictureCase& picture, std::ostream* out) { *out << picture.name; }

// Dots of the picture files as Python's imaging library decodes them, in the
// format of decode_dots.py: per file its width, its height and its dot rows.
struct DecodedPicture {
  int width = -1;
  int height = -1;
  std::vector<std::string> rows;
};
std::vector<DecodedPicture> DecodeWithPil(const std::vector<std::filesystem::path>& files);

}  // namespace tesk::testing

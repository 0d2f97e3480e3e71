#include "tests/image/picture_cases.h"

#include <sstream>
#include <stdexcept>

namespace tesk::testing {

std::vector<std::string> PictureCase::DotRows() const {
  std::vector<std::string> dots;
  for (const std::string& row : rows) {
    std::string bits;
    for (const char bit : row)
      if (bit != ' ') bits.push_back(bit);
    if (bits.size() != 8u * static_cast<std::size_t>(widthBytes))
      throw std::logic_error(std::string("row of the wrong width in case ") + name);
    dots.push_back(bits);
  }
  return dots;
}

std::vector<std::uint8_t> PictureCase::PureData() const {
  std::vector<std::uint8_t> bytes;
  for (const std::string& bits : DotRows()) {
    for (std::size_t start = 0; start < bits.size(); start += 8) {
      std::uint8_t value = 0;
      for (std::size_t bit = 0; bit < 8; ++bit)
        value = static_cast<std::uint8_t>(value << 1 | (bits[start + bit] == '1' ? 1 : 0));
      bytes.push_back(value);
    }
  }
  return bytes;
}

image::PictureGeometry PictureCase::Geometry() const {
  const std::int64_t stride = (widthBytes + 3) / 4 * 4;
  return {widthBytes, 8 * widthBytes, Height(), stride, stride * Height()};
}

// Each picture reads differently upside down and mirrored, and no two of its
// rows are equal, so flipped, reordered or shifted rows cannot pass. Rows end
// in set bits where they can, so a lost last byte shows.
const std::vector<PictureCase>& PictureCases() {
  static const std::vector<PictureCase> cases = {
      {"Width1Height1", 1, {"10110001"}},
      {"Width1Height2", 1, {"10000000", "00000011"}},
      {"Width1Height7",
       1,
       {"11111110", "10000000", "11000000", "11111000", "10000100", "10000010", "10000011"}},
      {"Width3Height1", 3, {"11000000 00000000 00000001"}},
      {"Width3Height2", 3, {"11111111 00000000 10101010", "00000001 10000000 01010101"}},
      {"Width3Height7",
       3,
       {"11111111 11111111 11111111", "10000000 00000000 00000000", "01000000 00011000 00000001",
        "00100000 00100100 00000010", "00010000 01000010 00000100", "00000000 00000000 00000000",
        "11110000 00001111 10101011"}},
      {"Width4Height1", 4, {"10000000 11111111 00000000 00000011"}},
      {"Width4Height2", 4, {"00000000 00000000 00000000 00000001", "11000000 00000000 00000000 00000000"}},
      {"Width4Height7",
       4,
       {"11111111 00000000 00000000 00000001", "01111110 00000000 00000000 00000010",
        "00111100 00000000 00000000 00000100", "00011000 11111111 11111111 00001000",
        "00000000 00000000 00000000 00000000", "10101010 10101010 10101010 10101010",
        "01010101 01010101 01010101 01010111"}},
      {"Width5Height1", 5, {"11111111 00000000 11110000 00001111 10000001"}},
      {"Width5Height2",
       5,
       {"10000000 00000000 00000000 00000000 00000000", "00000000 00000000 00000000 00000000 00000011"}},
      {"Width5Height7",
       5,
       {"10000000 00000000 00000000 00000000 00000001", "11000000 00000000 00000000 00000000 00000011",
        "11100000 00000000 00000000 00000000 00000111", "11111111 11111111 11111111 11111111 11111111",
        "00000000 00000000 00000000 00000000 00000000", "00000000 00000000 10000001 00000000 00000000",
        "00001111 00000000 00000000 11110000 11110001"}},
  };
  return cases;
}

std::vector<DecodedPicture> DecodeWithPil(const std::vector<std::filesystem::path>& files) {
  // Debian's own interpreter, which has the imaging library; another python
  // on PATH may not.
  std::string command = "/usr/bin/python3 '" TESK_SOURCE_DIR "/tests/image/decode_dots.py'";
  for (const auto& file : files) command += " '" + file.string() + "'";
  std::string output;
  if (RunCommand(command, &output) != 0) throw std::runtime_error("decoder failed: " + output);

  std::vector<DecodedPicture> pictures;
  std::istringstream lines(output);
  for (std::size_t index = 0; index < files.size(); ++index) {
    DecodedPicture picture;
    lines >> picture.width >> picture.height;
    for (int row = 0; row < picture.height; ++row) {
      std::string dots;
      lines >> dots;
      picture.rows.push_back(dots);
    }
    pictures.push_back(picture);
  }
  return pictures;
}

}  // namespace tesk::testing

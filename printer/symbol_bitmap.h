#pragma once
// A barcode or 2-D code as the printer draws it: a 1-bit picture at the
// printer's dots, or the reason it draws nothing.

#include <cstdint>
#include <string>
#include <vector>

namespace tesk::printer {

// Why a symbol command drew what it drew. One table (SymbolStatusText) gives the text.
enum class SymbolStatus : std::uint8_t {
  Drawn,
  BadCheckDigit,     // the check digit sent disagrees with the data
  OddLength,         // ITF pairs its digits
  BadLength,         // a length the symbology does not allow
  DataTooLong,       // more data than the symbol (at this size) holds
  InvalidCharacter,  // a byte outside the symbology's character set
  InvalidData,       // the characters are allowed, their arrangement is not
  UndefinedSymbology,
  BadParameter,   // a setting outside the command's range
  NothingStored,  // a print function with no data stored before it
  TooWide,        // wider than the print area
  Unsupported,    // defined by the command, but not drawn by this program
  EncoderFailed,  // the encoding library refused for a reason of its own
};

const char* SymbolStatusText(SymbolStatus status);

// A 1-bit picture, rows top to bottom, each row packed MSB first and padded to
// whole bytes; a set bit is a black dot.
struct SymbolBitmap {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint8_t> rows;

  std::uint32_t Stride() const { return (width + 7) / 8; }
  bool Dot(std::uint32_t x, std::uint32_t y) const {
    return (rows[std::size_t{y} * Stride() + x / 8] >> (7 - x % 8)) & 1;
  }
};

enum class HriPosition : std::uint8_t { None, Above, Below, Both };

// Where the human-readable line goes, in dots from the symbol's top left. The
// rectangle is reserved (left white) so the text can be drawn into it later.
struct HriRectangle {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
};

// A character cell of the human-readable line's fonts, in dots.
struct HriCell {
  std::uint32_t width = 12;
  std::uint32_t height = 24;
};

struct HumanReadableLine {
  std::string text;       // as the printer prints it, e.g. "4901234567894" or "(01)09501101530003"
  std::uint8_t font = 0;  // GS f: 0 font A, 1 font B
  std::vector<HriRectangle> rectangles;  // one per line: above and/or below
};

struct Symbol {
  SymbolStatus status = SymbolStatus::Drawn;
  std::string symbology;  // "EAN-13", "QR Code", ...
  std::string detail;     // the encoder's own words when it refused, else empty
  SymbolBitmap bitmap;    // the whole box: bars and any reserved HRI rectangles
  HumanReadableLine hri;

  bool Drawn() const { return status == SymbolStatus::Drawn; }
};

}  // namespace tesk::printer

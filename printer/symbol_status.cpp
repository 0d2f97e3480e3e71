#include "printer/symbol_bitmap.h"

namespace tesk::printer {

const char* SymbolStatusText(SymbolStatus status) {
  switch (status) {
    case SymbolStatus::Drawn: return "drawn";
    case SymbolStatus::BadCheckDigit: return "the check digit does not match the data";
    case SymbolStatus::OddLength: return "an odd number of digits (ITF pairs them)";
    case SymbolStatus::BadLength: return "a data length the symbology does not allow";
    case SymbolStatus::DataTooLong: return "more data than the symbol holds";
    case SymbolStatus::InvalidCharacter: return "a character outside the symbology's set";
    case SymbolStatus::InvalidData: return "data the symbology does not allow";
    case SymbolStatus::UndefinedSymbology: return "an undefined symbology";
    case SymbolStatus::BadParameter: return "a setting outside the command's range";
    case SymbolStatus::NothingStored: return "no data stored before the print function";
    case SymbolStatus::TooWide: return "wider than the print area";
    case SymbolStatus::Unsupported: return "not drawn by this program";
    case SymbolStatus::EncoderFailed: return "the encoder could not draw it";
  }
  return "unknown";
}

}  // namespace tesk::printer

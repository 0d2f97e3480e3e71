#include "printer/two_dimensional_symbol.h"

#include "platform/little_endian.h"
#include "printer/two_dimensional_drawing.h"

namespace tesk::printer {

namespace {

// cn: which symbology a function belongs to.
enum Symbology : std::uint8_t { kPdf417 = 48, kQr, kMaxiCode, kDataBar, kComposite, kAztec, kDataMatrix };
// fn: the functions every symbology shares.
constexpr std::uint8_t kStore = 80;
constexpr std::uint8_t kPrint = 81;
constexpr std::uint8_t kTransmitSize = 82;

TwoDimensionalResult Done(TwoDimensionalAction action) {
  TwoDimensionalResult result;
  result.action = action;
  return result;
}

TwoDimensionalResult Rejected(SymbolStatus status) {
  TwoDimensionalResult result;
  result.status = status;
  return result;
}

bool InRange(unsigned value, unsigned low, unsigned high) { return value >= low && value <= high; }

}  // namespace

TwoDimensionalResult TwoDimensionalSymbols::Apply(std::span<const std::uint8_t> command) {
  // GS ( k pL pH cn fn [parameters]: pL + pH * 256 bytes follow pH.
  if (command.size() < 7 || command[0] != 0x1D || command[1] != '(' || command[2] != 'k')
    return Rejected(SymbolStatus::BadLength);
  const std::size_t length = platform::ReadLe16(command.data() + 3);
  if (length < 2 || command.size() - 5 < length) return Rejected(SymbolStatus::BadLength);  // cut short
  const std::uint8_t cn = command[5];
  const std::uint8_t fn = command[6];
  const std::span<const std::uint8_t> parameters = command.subspan(7, length - 2);
  if (!InRange(cn, kPdf417, kDataMatrix)) return Rejected(SymbolStatus::UndefinedSymbology);
  if (fn == kStore) return Store(cn, parameters);
  if (fn == kPrint) {
    TwoDimensionalResult result = Done(TwoDimensionalAction::Print);
    result.symbol = Print(cn);
    result.status = result.symbol.status;
    return result;
  }
  if (fn == kTransmitSize) return Done(TwoDimensionalAction::Transmit);
  return Setting(cn, fn, parameters);
}

TwoDimensionalResult TwoDimensionalSymbols::Setting(std::uint8_t cn, std::uint8_t fn,
                                                    std::span<const std::uint8_t> parameters) {
  if (parameters.empty()) return Rejected(SymbolStatus::BadLength);
  const unsigned n = parameters[0];
  const unsigned n2 = parameters.size() > 1 ? parameters[1] : 0;
  const unsigned n3 = parameters.size() > 2 ? parameters[2] : 0;
  const auto set = [](auto& field, unsigned value, bool valid) {
    if (!valid) return Rejected(SymbolStatus::BadParameter);
    field = static_cast<std::remove_reference_t<decltype(field)>>(value);
    return Done(TwoDimensionalAction::Setting);
  };
  switch (cn * 256 + fn) {
    case kPdf417 * 256 + 65: return set(pdf417.columns, n, n <= 30);
    case kPdf417 * 256 + 66: return set(pdf417.rows, n, n == 0 || InRange(n, 3, 90));
    case kPdf417 * 256 + 67: return set(pdf417.moduleWidth, n, InRange(n, 2, 8));
    case kPdf417 * 256 + 68: return set(pdf417.rowHeight, n, InRange(n, 2, 8));
    case kPdf417 * 256 + 69:
      // m = 48: a level 48..56; m = 49: a ratio of 1..40 tenths.
      if (n == 48 && InRange(n2, 48, 56)) {
        pdf417.errorByRatio = false;
        return set(pdf417.errorLevel, n2 - 48, true);
      }
      if (n == 49 && InRange(n2, 1, 40)) {
        pdf417.errorByRatio = true;
        return set(pdf417.errorLevel, n2, true);
      }
      return Rejected(SymbolStatus::BadParameter);
    case kPdf417 * 256 + 70: return set(pdf417.truncated, n & 1, n <= 1);
    case kQr * 256 + 65: return set(qr.model, n - 49, InRange(n, 49, 51));
    case kQr * 256 + 67: return set(qr.moduleSize, n, InRange(n, 1, 16));
    case kQr * 256 + 69: return set(qr.errorCorrection, n - 48, InRange(n, 48, 51));
    case kMaxiCode * 256 + 65: return set(maxiCode.mode, n - 48, InRange(n, 50, 54));
    case kDataBar * 256 + 67: return set(dataBar.moduleWidth, n, InRange(n, 2, 8));
    case kDataBar * 256 + 71: return set(dataBar.expandedStackedWidth, n + 256 * n2, n + 256 * n2 >= 106);
    case kComposite * 256 + 67: return set(composite.moduleWidth, n, InRange(n, 2, 8));
    case kComposite * 256 + 71: return set(composite.expandedStackedWidth, n + 256 * n2, n + 256 * n2 >= 106);
    case kComposite * 256 + 72: return set(composite.hriFont, n & 1, n <= 1 || n == 48 || n == 49);
    case kAztec * 256 + 66: {
      // n: 48 full range, 49 compact; n2: layers, 0 for automatic.
      const bool compact = n == 49;
      if (!InRange(n, 48, 49) || n2 > (compact ? 4u : 32u)) return Rejected(SymbolStatus::BadParameter);
      aztec.compact = compact;
      return set(aztec.layers, n2, true);
    }
    case kAztec * 256 + 67: return set(aztec.moduleSize, n, InRange(n, 2, 16));
    case kAztec * 256 + 69: return set(aztec.errorCorrectionPercent, n, InRange(n, 5, 95));
    case kDataMatrix * 256 + 66:
      // n: 48 square, 49 rectangle; then columns and rows, 0 for automatic.
      if (!InRange(n, 48, 49)) return Rejected(SymbolStatus::BadParameter);
      dataMatrix.rectangular = n == 49;
      dataMatrix.columns = static_cast<std::uint8_t>(n2);
      dataMatrix.rows = static_cast<std::uint8_t>(n3);
      return Done(TwoDimensionalAction::Setting);
    case kDataMatrix * 256 + 67: return set(dataMatrix.moduleSize, n, InRange(n, 2, 16));
  }
  return Rejected(SymbolStatus::Unsupported);
}

TwoDimensionalResult TwoDimensionalSymbols::Store(std::uint8_t cn, std::span<const std::uint8_t> parameters) {
  // m = 48 first; DataBar then names its type, Composite its component.
  if (parameters.empty() || parameters[0] != 48) return Rejected(SymbolStatus::BadParameter);
  std::span<const std::uint8_t> data = parameters.subspan(1);
  if (cn == kDataBar) {
    if (data.empty()) return Rejected(SymbolStatus::BadLength);
    dataBarType_ = data[0];
    data = data.subspan(1);
  } else if (cn == kComposite) {
    // a = 48 and a linear type b (65..77): the linear component; a = 49 and b: the 2-D component.
    if (data.size() < 2) return Rejected(SymbolStatus::BadLength);
    const std::uint8_t component = data[0];
    const std::uint8_t type = data[1];
    data = data.subspan(2);
    if (component == 48) {
      if (!InRange(type, 65, 77)) return Rejected(SymbolStatus::UndefinedSymbology);
      compositeLinearType_ = type;
      compositeLinear_.assign(data.begin(), data.end());
      return Done(TwoDimensionalAction::Store);
    }
    if (component != 49) return Rejected(SymbolStatus::BadParameter);
  }
  stored_[cn - kPdf417].assign(data.begin(), data.end());
  return Done(TwoDimensionalAction::Store);
}

Symbol TwoDimensionalSymbols::Print(std::uint8_t cn) const {
  const std::vector<std::uint8_t>& data = stored_[cn - kPdf417];
  Symbol symbol;
  if (data.empty()) {
    symbol.status = SymbolStatus::NothingStored;
    return symbol;
  }
  switch (cn) {
    case kPdf417: symbol = DrawPdf417(pdf417, data); break;
    case kQr: symbol = DrawQr(qr, data); break;
    case kMaxiCode: symbol = DrawMaxiCode(maxiCode, data); break;
    case kDataBar: symbol = DrawDataBar(dataBar, dataBarType_, data); break;
    case kComposite: symbol = DrawComposite(composite, compositeLinearType_, compositeLinear_, data); break;
    case kAztec: symbol = DrawAztec(aztec, data); break;
    case kDataMatrix: symbol = DrawDataMatrix(dataMatrix, data); break;
  }
  if (symbol.Drawn() && printAreaWidth && symbol.bitmap.width > printAreaWidth) {
    symbol.status = SymbolStatus::TooWide;
    symbol.bitmap = {};
  }
  return symbol;
}

}  // namespace tesk::printer

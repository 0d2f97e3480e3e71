#include "printer/two_dimensional_drawing.h"

#include <zint.h>

#include <string>
#include <string_view>

#include "printer/gs1_data.h"
#include "printer/module_placement.h"
#include "printer/zint_modules.h"

namespace tesk::printer {

namespace {

Symbol NotDrawn(const char* symbology, SymbolStatus status, std::string detail = {}) {
  Symbol symbol;
  symbol.status = status;
  symbol.symbology = symbology;
  symbol.detail = std::move(detail);
  return symbol;
}

std::span<const std::uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string_view Text(std::span<const std::uint8_t> data) {
  return {reinterpret_cast<const char*>(data.data()), data.size()};
}

// Encodes and places the modules; `rowHeights` turns the matrix into dot rows.
template <typename RowHeights>
Symbol EncodeAndPlace(const char* symbology, const EncodeRequest& request, std::uint32_t moduleWidth,
                      RowHeights rowHeights) {
  const EncodeResult encoded = EncodeModules(request);
  if (encoded.status != SymbolStatus::Drawn) return NotDrawn(symbology, encoded.status, encoded.detail);
  Symbol symbol;
  symbol.symbology = symbology;
  symbol.bitmap = DrawModules(encoded.modules, moduleWidth, rowHeights(encoded.modules));
  if (symbol.bitmap.width == 0) return NotDrawn(symbology, SymbolStatus::DataTooLong);
  return symbol;
}

Symbol Square(const char* symbology, const EncodeRequest& request, std::uint32_t moduleSize) {
  return EncodeAndPlace(symbology, request, moduleSize,
                        [&](const ModuleMatrix& modules) { return UniformRowHeights(modules, moduleSize); });
}

Symbol Stacked(const char* symbology, const EncodeRequest& request, std::uint32_t moduleWidth) {
  return EncodeAndPlace(symbology, request, moduleWidth,
                        [&](const ModuleMatrix& modules) { return LibraryRowHeights(modules, moduleWidth); });
}

bool Gs1Request(std::span<const std::uint8_t> data, EncodeRequest& request, std::string& bracketed) {
  if (!Gs1ToBracketed(Text(data), bracketed)) return false;
  request.input = EncodeInput::Gs1;
  request.data = Bytes(bracketed);
  return true;
}

// Expanded Stacked puts as many segment pairs on a row as the width allows:
// the widest layout that still fits is the one the printer prints.
Symbol ExpandedStackedWithin(const char* symbology, EncodeRequest request, std::uint32_t moduleWidth,
                             std::uint32_t widestRow) {
  for (int columns = 11; columns >= 1; --columns) {
    request.option2 = columns;
    Symbol symbol = Stacked(symbology, request, moduleWidth);
    if (!symbol.Drawn() || symbol.bitmap.width <= widestRow) return symbol;
  }
  return NotDrawn(symbology, SymbolStatus::TooWide);
}

}  // namespace

Symbol DrawQr(const QrSettings& settings, std::span<const std::uint8_t> data) {
  const char* name = settings.model == QrModel::Micro ? "Micro QR Code" : "QR Code";
  // The library writes model 2 only; a model 1 symbol drawn as model 2 would
  // show the engineer a symbol the printer does not print.
  if (settings.model == QrModel::Model1) return NotDrawn(name, SymbolStatus::Unsupported, "QR Code model 1");
  EncodeRequest request;
  request.symbology = settings.model == QrModel::Micro ? BARCODE_MICROQR : BARCODE_QRCODE;
  request.option1 = settings.errorCorrection + 1;
  request.data = data;
  return Square(name, request, settings.moduleSize);
}

Symbol DrawPdf417(const Pdf417Settings& settings, std::span<const std::uint8_t> data) {
  const char* name = settings.truncated ? "PDF417 (truncated)" : "PDF417";
  EncodeRequest request;
  request.symbology = settings.truncated ? BARCODE_PDF417COMP : BARCODE_PDF417;
  // A level by ratio follows the amount of data, which the library also
  // weighs when it picks a level itself.
  request.option1 = settings.errorByRatio ? -1 : settings.errorLevel;
  request.option2 = settings.columns;
  request.option3 = settings.rows;
  request.data = data;
  const std::uint32_t rowDots = std::uint32_t{settings.moduleWidth} * settings.rowHeight;
  return EncodeAndPlace(name, request, settings.moduleWidth,
                        [&](const ModuleMatrix& modules) { return UniformRowHeights(modules, rowDots); });
}

Symbol DrawMaxiCode(const MaxiCodeSettings& settings, std::span<const std::uint8_t> data) {
  const char* name = "MaxiCode";
  EncodeRequest request;
  request.symbology = BARCODE_MAXICODE;
  request.option1 = settings.mode;
  std::string secondary(Text(data));
  if (settings.mode == 2 || settings.mode == 3) {
    // The structured carrier message opens with postal code, country and
    // class of service, each ended by GS, after an optional "[)>RS01GSyy".
    static constexpr std::string_view kHeader =
        "[)>\x1e"
        "01\x1d";
    std::string header;
    if (secondary.starts_with(kHeader) && secondary.size() >= kHeader.size() + 2) {
      header = secondary.substr(0, kHeader.size() + 2);
      secondary.erase(0, header.size());
    }
    std::string fields[3];
    for (std::string& field : fields) {
      const std::size_t end = secondary.find('\x1d');
      if (end == std::string::npos)
        return NotDrawn(name, SymbolStatus::InvalidData, "no postal code, country and service");
      field = secondary.substr(0, end);
      secondary.erase(0, end + 1);
    }
    request.primary = fields[0] + fields[1] + fields[2];
    secondary = header + secondary;
  }
  request.data = Bytes(secondary);
  // The symbol is 28.14 mm x 26.91 mm whatever the dot size.
  const double dots = settings.dotsPerMillimetre;
  RasterResult raster = RenderHexagonal(request, static_cast<std::uint32_t>(28.14 * dots + 0.5),
                                        static_cast<std::uint32_t>(26.91 * dots + 0.5));
  if (raster.status != SymbolStatus::Drawn) return NotDrawn(name, raster.status, raster.detail);
  Symbol symbol;
  symbol.symbology = name;
  symbol.bitmap = std::move(raster.bitmap);
  return symbol;
}

Symbol DrawDataBar(const DataBarSettings& settings, std::uint8_t type, std::span<const std::uint8_t> data) {
  EncodeRequest request;
  request.data = data;
  switch (type) {
    case 72:
      request.symbology = BARCODE_DBAR_STK;
      return Stacked("GS1 DataBar Stacked", request, settings.moduleWidth);
    case 73:
      request.symbology = BARCODE_DBAR_OMNSTK;
      return Stacked("GS1 DataBar Stacked Omnidirectional", request, settings.moduleWidth);
    case 74:
    case 76: {
      const char* name = "GS1 DataBar Expanded Stacked";
      std::string bracketed;
      if (!Gs1Request(data, request, bracketed)) return NotDrawn(name, SymbolStatus::InvalidData);
      request.symbology = BARCODE_DBAR_EXPSTK;
      return ExpandedStackedWithin(name, request, settings.moduleWidth, settings.expandedStackedWidth);
    }
  }
  return NotDrawn("GS1 DataBar", SymbolStatus::UndefinedSymbology);
}

Symbol DrawComposite(const CompositeSettings& settings, std::uint8_t linearType,
                     std::span<const std::uint8_t> linear, std::span<const std::uint8_t> component) {
  static constexpr int kLinear[] = {BARCODE_EANX_CC,     BARCODE_EANX_CC,     BARCODE_UPCA_CC,
                                    BARCODE_UPCE_CC,     BARCODE_UPCE_CC,     BARCODE_DBAR_OMN_CC,
                                    BARCODE_DBAR_OMN_CC, BARCODE_DBAR_STK_CC, BARCODE_DBAR_OMNSTK_CC,
                                    BARCODE_DBAR_LTD_CC, BARCODE_DBAR_EXP_CC, BARCODE_DBAR_EXPSTK_CC,
                                    BARCODE_GS1_128_CC};
  const char* name = "GS1 Composite";
  if (linearType < 65 || linearType > 77) return NotDrawn(name, SymbolStatus::UndefinedSymbology);
  if (linear.empty()) return NotDrawn(name, SymbolStatus::NothingStored, "no linear component");
  EncodeRequest request;
  request.symbology = kLinear[linearType - 65];
  std::string primary(Text(linear));
  // The linear components that carry GS1 element strings take them bracketed.
  if (linearType == 75 || linearType == 76 || linearType == 77) {
    if (!Gs1ToBracketed(Text(linear), primary))
      return NotDrawn(name, SymbolStatus::InvalidData, "linear component");
  } else if (linearType == 69 && primary.size() >= 11) {
    primary = primary.substr(0, 11);  // the library suppresses the zeros of the UPC-A number itself
  }
  request.primary = primary;
  std::string bracketed;
  if (!Gs1Request(component, request, bracketed))
    return NotDrawn(name, SymbolStatus::InvalidData, "2-D component");
  if (request.symbology == BARCODE_DBAR_EXPSTK_CC) {
    return ExpandedStackedWithin(name, request, settings.moduleWidth, settings.expandedStackedWidth);
  }
  return Stacked(name, request, settings.moduleWidth);
}

Symbol DrawAztec(const AztecSettings& settings, std::span<const std::uint8_t> data) {
  EncodeRequest request;
  request.symbology = BARCODE_AZTEC;
  request.data = data;
  if (settings.layers) {
    request.option2 = settings.compact ? settings.layers : settings.layers + 4;
  } else {
    const std::uint8_t percent = settings.errorCorrectionPercent;
    request.option1 = percent <= 10 ? 1 : percent <= 23 ? 2 : percent <= 36 ? 3 : 4;
  }
  return Square("Aztec Code", request, settings.moduleSize);
}

Symbol DrawDataMatrix(const DataMatrixSettings& settings, std::span<const std::uint8_t> data) {
  // The library numbers the ECC 200 sizes 1..30: squares first, then rectangles (rows x columns).
  struct Size {
    std::uint8_t rows, columns;
  };
  static constexpr Size kSizes[] = {{10, 10}, {12, 12}, {14, 14},   {16, 16},   {18, 18},   {20, 20},
                                    {22, 22}, {24, 24}, {26, 26},   {32, 32},   {36, 36},   {40, 40},
                                    {44, 44}, {48, 48}, {52, 52},   {64, 64},   {72, 72},   {80, 80},
                                    {88, 88}, {96, 96}, {104, 104}, {120, 120}, {132, 132}, {144, 144},
                                    {8, 18},  {8, 32},  {12, 26},   {12, 36},   {16, 36},   {16, 48}};
  const char* name = "Data Matrix";
  EncodeRequest request;
  request.symbology = BARCODE_DATAMATRIX;
  request.data = data;
  const std::size_t firstRectangle = 24;
  if (settings.columns || settings.rows) {
    for (std::size_t index = 0; index < std::size(kSizes); ++index) {
      const bool rectangle = index >= firstRectangle;
      if (rectangle != settings.rectangular) continue;
      if ((settings.columns && kSizes[index].columns != settings.columns) ||
          (settings.rows && kSizes[index].rows != settings.rows))
        continue;
      request.option2 = static_cast<int>(index + 1);
      Symbol symbol = Square(name, request, settings.moduleSize);
      if (symbol.Drawn() || symbol.status != SymbolStatus::DataTooLong) return symbol;
    }
    return NotDrawn(name, SymbolStatus::DataTooLong);
  }
  if (!settings.rectangular) {
    request.option3 = DM_SQUARE;
    return Square(name, request, settings.moduleSize);
  }
  for (std::size_t index = firstRectangle; index < std::size(kSizes); ++index) {
    request.option2 = static_cast<int>(index + 1);
    Symbol symbol = Square(name, request, settings.moduleSize);
    if (symbol.status != SymbolStatus::DataTooLong) return symbol;
  }
  return NotDrawn(name, SymbolStatus::DataTooLong);
}

}  // namespace tesk::printer

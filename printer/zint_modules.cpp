#include "printer/zint_modules.h"

#include <zint.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace tesk::printer {

namespace {

struct SymbolDeleter {
  void operator()(zint_symbol* symbol) const { ZBarcode_Delete(symbol); }
};
using SymbolHandle = std::unique_ptr<zint_symbol, SymbolDeleter>;

SymbolStatus StatusOfLibraryError(int error) {
  switch (error) {
    case ZINT_ERROR_TOO_LONG: return SymbolStatus::DataTooLong;
    case ZINT_ERROR_INVALID_DATA: return SymbolStatus::InvalidData;
    case ZINT_ERROR_INVALID_CHECK: return SymbolStatus::BadCheckDigit;
    case ZINT_ERROR_INVALID_OPTION: return SymbolStatus::BadParameter;
    default: return SymbolStatus::EncoderFailed;
  }
}

// Sets up the library's record; false (with the result filled) when the
// request cannot even be handed over.
SymbolHandle Prepare(const EncodeRequest& request, SymbolStatus& status, std::string& detail) {
  if (request.data.empty()) {
    status = SymbolStatus::BadLength;
    return nullptr;
  }
  if (request.data.size() > ZINT_MAX_DATA_LEN) {
    status = SymbolStatus::DataTooLong;
    return nullptr;
  }
  if (request.primary.size() >= sizeof(zint_symbol{}.primary)) {
    status = SymbolStatus::DataTooLong;
    return nullptr;
  }
  SymbolHandle symbol(ZBarcode_Create());
  if (!symbol) {
    status = SymbolStatus::EncoderFailed;
    detail = "out of memory";
    return nullptr;
  }
  symbol->symbology = request.symbology;
  symbol->input_mode = request.input == EncodeInput::Gs1 ? GS1_MODE : DATA_MODE;
  symbol->option_1 = request.option1;
  symbol->option_2 = request.option2;
  symbol->option_3 = request.option3;
  // The paper has no quiet zone of its own: the margins around a symbol are
  // whatever the job leaves white, as on the printer.
  symbol->output_options = BARCODE_NO_QUIET_ZONES | (request.readerInitialise ? READER_INIT : 0);
  std::memcpy(symbol->primary, request.primary.c_str(), request.primary.size() + 1);
  return symbol;
}

}  // namespace

EncodeResult EncodeModules(const EncodeRequest& request) {
  EncodeResult result;
  SymbolHandle symbol = Prepare(request, result.status, result.detail);
  if (!symbol) return result;
  const int error = ZBarcode_Encode(symbol.get(), request.data.data(), static_cast<int>(request.data.size()));
  if (error >= ZINT_ERROR) {
    result.status = StatusOfLibraryError(error);
    result.detail = symbol->errtxt;
    return result;
  }
  ModuleMatrix& modules = result.modules;
  modules.columns = static_cast<std::uint32_t>(std::max(symbol->width, 0));
  modules.rows = static_cast<std::uint32_t>(std::clamp(symbol->rows, 0, 200));
  if (modules.columns == 0 || modules.rows == 0 || modules.columns > 144u * 8u) {
    result.status = SymbolStatus::EncoderFailed;  // the library gave no modules
    return result;
  }
  modules.cells.resize(std::size_t{modules.columns} * modules.rows);
  for (std::uint32_t row = 0; row < modules.rows; ++row) {
    modules.rowHeights.push_back(symbol->row_height[row]);
    for (std::uint32_t column = 0; column < modules.columns; ++column)
      modules.cells[std::size_t{row} * modules.columns + column] =
          (symbol->encoded_data[row][column / 8] >> (column % 8)) & 1;  // the library keeps bit 0 first
  }
  modules.height = symbol->height;
  modules.text = reinterpret_cast<const char*>(symbol->text);
  return result;
}

RasterResult RenderHexagonal(const EncodeRequest& request, std::uint32_t widthDots,
                             std::uint32_t heightDots) {
  RasterResult result;
  SymbolHandle symbol = Prepare(request, result.status, result.detail);
  if (!symbol) return result;
  const int error =
      ZBarcode_Encode_and_Buffer(symbol.get(), request.data.data(), static_cast<int>(request.data.size()), 0);
  if (error >= ZINT_ERROR) {
    result.status = StatusOfLibraryError(error);
    result.detail = symbol->errtxt;
    return result;
  }
  const int sourceWidth = symbol->bitmap_width;
  const int sourceHeight = symbol->bitmap_height;
  if (!symbol->bitmap || sourceWidth <= 0 || sourceHeight <= 0 || widthDots == 0 || widthDots > 4096 ||
      heightDots == 0 || heightDots > 4096) {
    result.status = SymbolStatus::EncoderFailed;  // no picture, or an absurd size asked
    return result;
  }
  SymbolBitmap& bitmap = result.bitmap;
  bitmap.width = widthDots;
  bitmap.height = heightDots;
  bitmap.rows.assign(std::size_t{bitmap.Stride()} * bitmap.height, 0);
  for (std::uint32_t y = 0; y < bitmap.height; ++y) {
    const std::size_t sourceY = std::size_t{y} * sourceHeight / bitmap.height;
    for (std::uint32_t x = 0; x < bitmap.width; ++x) {
      const std::size_t sourceX = std::size_t{x} * sourceWidth / bitmap.width;
      // The library's raster holds three bytes per pixel; the red one tells dark from light.
      if (symbol->bitmap[(sourceY * sourceWidth + sourceX) * 3] < 128)
        bitmap.rows[std::size_t{y} * bitmap.Stride() + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
  }
  return result;
}

}  // namespace tesk::printer

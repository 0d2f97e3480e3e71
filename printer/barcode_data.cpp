#include "printer/barcode_data.h"

#include <zint.h>

#include <cstring>
#include <string_view>

#include "printer/code128_data.h"
#include "printer/gs1_data.h"

namespace tesk::printer {

namespace {

// The counted form numbers the same systems from 65 and adds seven more.
enum System : std::uint8_t {
  kUpcA = 65,
  kUpcE,
  kEan13,
  kEan8,
  kCode39,
  kItf,
  kCodabar,
  kCode93,
  kCode128,
  kGs1128,
  kDataBarOmni,
  kDataBarTruncated,
  kDataBarLimited,
  kDataBarExpanded,
  kCode128Auto,
};

std::uint8_t CountedSystem(std::uint8_t system) {
  return system <= 6 ? static_cast<std::uint8_t>(system + 65) : system;
}

bool AllDigits(std::string_view text) {
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

bool LengthIsOneOf(std::size_t length, std::initializer_list<std::size_t> lengths) {
  for (std::size_t allowed : lengths)
    if (length == allowed) return true;
  return false;
}

BarcodeRequest Refuse(BarcodeRequest request, SymbolStatus status) {
  request.status = status;
  return request;
}

BarcodeRequest Digits(BarcodeRequest request, std::initializer_list<std::size_t> lengths) {
  if (!AllDigits(request.data)) return Refuse(request, SymbolStatus::InvalidCharacter);
  if (!LengthIsOneOf(request.data.size(), lengths)) return Refuse(request, SymbolStatus::BadLength);
  return request;
}

// A UPC-A number the printer may print as UPC-E when its zeros can be
// suppressed (the four rules of the UPC-E standard); "" when they cannot.
std::string SuppressZeros(std::string_view upcA) {
  const std::string_view maker = upcA.substr(1, 5);
  const std::string_view product = upcA.substr(6, 5);
  std::string six;
  if (maker.substr(2, 3) == "000" && maker[2] <= '2' && product.substr(0, 2) == "00")
    six = std::string(maker.substr(0, 2)) + std::string(product.substr(2, 3)) + maker[2];
  else if (maker.substr(3, 2) == "00" && product.substr(0, 3) == "000")
    six = std::string(maker.substr(0, 3)) + std::string(product.substr(3, 2)) + '3';
  else if (maker[4] == '0' && product.substr(0, 4) == "0000")
    six = std::string(maker.substr(0, 4)) + product[4] + '4';
  else if (maker[4] != '0' && product.substr(0, 4) == "0000" && product[4] >= '5')
    six = std::string(maker) + product[4];
  else
    return "";
  return upcA[0] + six + std::string(upcA.substr(11));
}

BarcodeRequest UpcE(BarcodeRequest request) {
  request = Digits(request, {6, 7, 8, 11, 12});
  if (request.status != SymbolStatus::Drawn) return request;
  if (request.data.size() >= 7 && request.data[0] != '0') return Refuse(request, SymbolStatus::InvalidData);
  if (request.data.size() >= 11) {
    request.data = SuppressZeros(request.data);
    if (request.data.empty())
      return Refuse(request, SymbolStatus::InvalidData);  // zeros not where UPC-E drops them
  }
  return request;
}

BarcodeRequest Code39(BarcodeRequest request) {
  std::string& data = request.data;
  // A host may send the start and stop characters itself; the printer adds them otherwise.
  if (data.size() >= 2 && data.front() == '*' && data.back() == '*') data = data.substr(1, data.size() - 2);
  if (data.empty()) return Refuse(request, SymbolStatus::BadLength);
  for (char c : data)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || std::strchr(" $%+-./", c)))
      return Refuse(request, SymbolStatus::InvalidCharacter);
  return request;
}

BarcodeRequest Itf(BarcodeRequest request) {
  if (!AllDigits(request.data)) return Refuse(request, SymbolStatus::InvalidCharacter);
  if (request.data.empty()) return Refuse(request, SymbolStatus::BadLength);
  if (request.data.size() % 2) return Refuse(request, SymbolStatus::OddLength);
  return request;
}

BarcodeRequest Codabar(BarcodeRequest request) {
  std::string& data = request.data;
  for (char& c : data) {
    if (c >= 'a' && c <= 'd') c = static_cast<char>(c - 'a' + 'A');
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'D') || std::strchr("$+-./:", c)))
      return Refuse(request, SymbolStatus::InvalidCharacter);
  }
  auto startStop = [](char c) { return c >= 'A' && c <= 'D'; };
  if (data.size() < 3 || !startStop(data.front()) || !startStop(data.back()))
    return Refuse(request, SymbolStatus::InvalidData);
  for (std::size_t at = 1; at + 1 < data.size(); ++at)
    if (startStop(data[at])) return Refuse(request, SymbolStatus::InvalidData);  // start/stop inside the data
  return request;
}

BarcodeRequest Ascii(BarcodeRequest request) {
  for (char c : request.data)
    if (static_cast<unsigned char>(c) > 0x7F) return Refuse(request, SymbolStatus::InvalidCharacter);
  return request;
}

BarcodeRequest Gs1(BarcodeRequest request) {
  std::string bracketed;
  if (!Gs1ToBracketed(request.data, bracketed)) return Refuse(request, SymbolStatus::InvalidData);
  request.data = bracketed;
  request.input = EncodeInput::Gs1;
  return request;
}

BarcodeRequest Code128WithSets(BarcodeRequest request) {
  const Code128Text text = ResolveCode128Sets(request.data);
  if (text.status != SymbolStatus::Drawn) return Refuse(request, text.status);
  request.readerInitialise = text.readerInitialise;
  request.data = text.data;
  if (!text.gs1) return request;
  request.symbology = "GS1-128";
  request.librarySymbology = BARCODE_GS1_128;
  return Gs1(request);
}

}  // namespace

const char* BarcodeSystemName(std::uint8_t system) {
  switch (CountedSystem(system)) {
    case kUpcA: return "UPC-A";
    case kUpcE: return "UPC-E";
    case kEan13: return "EAN-13";
    case kEan8: return "EAN-8";
    case kCode39: return "CODE39";
    case kItf: return "ITF";
    case kCodabar: return "CODABAR";
    case kCode93: return "CODE93";
    case kCode128: return "CODE128";
    case kGs1128: return "GS1-128";
    case kDataBarOmni: return "GS1 DataBar Omnidirectional";
    case kDataBarTruncated: return "GS1 DataBar Truncated";
    case kDataBarLimited: return "GS1 DataBar Limited";
    case kDataBarExpanded: return "GS1 DataBar Expanded";
    case kCode128Auto: return "CODE128 (automatic code sets)";
  }
  return "";
}

BarcodeRequest PrepareBarcode(std::uint8_t system, std::span<const std::uint8_t> data) {
  BarcodeRequest request;
  request.symbology = BarcodeSystemName(system);
  request.data.assign(data.begin(), data.end());
  if (system > 6 && system < kUpcA) return Refuse(request, SymbolStatus::UndefinedSymbology);
  switch (CountedSystem(system)) {
    case kUpcA: request.librarySymbology = BARCODE_UPCA; return Digits(request, {11, 12});
    case kUpcE: request.librarySymbology = BARCODE_UPCE; return UpcE(request);
    case kEan13: request.librarySymbology = BARCODE_EANX; return Digits(request, {12, 13});
    case kEan8:
      // The library reads eight digits without a check digit as a short EAN-13.
      request.librarySymbology = data.size() == 8 ? BARCODE_EANX_CHK : BARCODE_EANX;
      return Digits(request, {7, 8});
    case kCode39: request.librarySymbology = BARCODE_CODE39; return Code39(request);
    case kItf: request.librarySymbology = BARCODE_C25INTER; return Itf(request);
    case kCodabar: request.librarySymbology = BARCODE_CODABAR; return Codabar(request);
    case kCode93: request.librarySymbology = BARCODE_CODE93; return Ascii(request);
    case kCode128: request.librarySymbology = BARCODE_CODE128; return Code128WithSets(request);
    case kGs1128: request.librarySymbology = BARCODE_GS1_128; return Gs1(request);
    case kDataBarOmni:
    case kDataBarTruncated: request.librarySymbology = BARCODE_DBAR_OMN; return Digits(request, {13});
    case kDataBarLimited:
      request.librarySymbology = BARCODE_DBAR_LTD;
      request = Digits(request, {13});
      if (request.status == SymbolStatus::Drawn && request.data[0] > '1')
        return Refuse(request, SymbolStatus::InvalidData);
      return request;
    case kDataBarExpanded: request.librarySymbology = BARCODE_DBAR_EXP; return Gs1(request);
    case kCode128Auto: request.librarySymbology = BARCODE_CODE128; return request;
  }
  return Refuse(request, SymbolStatus::UndefinedSymbology);
}

}  // namespace tesk::printer

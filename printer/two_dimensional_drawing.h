#pragma once
// Each 2-D symbology drawn from its settings and data: the library encodes,
// and every module lands on a whole number of dots.

#include <cstdint>
#include <span>

#include "printer/symbol_bitmap.h"
#include "printer/symbol_settings.h"

namespace tesk::printer {

Symbol DrawQr(const QrSettings& settings, std::span<const std::uint8_t> data);
Symbol DrawPdf417(const Pdf417Settings& settings, std::span<const std::uint8_t> data);
Symbol DrawMaxiCode(const MaxiCodeSettings& settings, std::span<const std::uint8_t> data);
// `type` is fn 80's n: 72 Stacked, 73 Stacked Omnidirectional, 76 (or 74) Expanded Stacked.
Symbol DrawDataBar(const DataBarSettings& settings, std::uint8_t type, std::span<const std::uint8_t> data);
// `linearType` 65..77: EAN-8, EAN-13, UPC-A, UPC-E (6 and 11 digits), DataBar
// Omnidirectional, Truncated, Stacked, Stacked Omnidirectional, Limited,
// Expanded, Expanded Stacked, GS1-128; `component` holds GS1 element strings.
Symbol DrawComposite(const CompositeSettings& settings, std::uint8_t linearType,
                     std::span<const std::uint8_t> linear, std::span<const std::uint8_t> component);
Symbol DrawAztec(const AztecSettings& settings, std::span<const std::uint8_t> data);
Symbol DrawDataMatrix(const DataMatrixSettings& settings, std::span<const std::uint8_t> data);

}  // namespace tesk::printer

#pragma once
// GS k drawn as the printer draws it: bars GS w dots per module and GS h dots
// tall, with the human-readable line's place kept where GS H puts it.

#include <cstdint>
#include <span>

#include "printer/symbol_bitmap.h"
#include "printer/symbol_settings.h"

namespace tesk::printer {

// `command` is the whole GS k command, from its GS byte: "GS k m d1..dk NUL"
// (m 0..6) or "GS k m n d1..dn" (m 65..79).
Symbol DrawBarcode(std::span<const std::uint8_t> command, const BarcodeSettings& settings);

}  // namespace tesk::printer

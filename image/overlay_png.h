#pragma once
// A four-colour palette PNG of two pictures laid over each other: index 0
// white, 1 black (dots in both), 2 red (only in the first), 3 blue (only in
// the second).

#include <cstdint>
#include <span>

#include "image/png_encoding.h"

namespace tesk::image {

// `indices` holds one palette index (0 to 3) a pixel, width x height, top row first.
EncodedPng EncodeOverlayPng(std::span<const std::uint8_t> indices, std::int64_t width, std::int64_t height);

}  // namespace tesk::image

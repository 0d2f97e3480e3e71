#include "zip/traditional_decryption.h"

#include <array>

namespace tesk::zip {
namespace {

// The cipher steps its keys with the bare CRC-32 table update, without the
// pre- and post-inversion zlib's crc32() applies, so it keeps its own table.
constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t index = 0; index < 256; ++index) {
    std::uint32_t value = index;
    for (int bit = 0; bit < 8; ++bit) value = (value & 1) ? 0xEDB88320u ^ (value >> 1) : value >> 1;
    table[index] = value;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

std::uint32_t CrcStep(std::uint32_t crc, std::uint8_t byte) {
  return kCrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

}  // namespace

TraditionalDecryption::TraditionalDecryption() : keys_{0x12345678, 0x23456789, 0x34567890} {}

void TraditionalDecryption::UpdateKeys(std::uint8_t plain) {
  keys_[0] = CrcStep(keys_[0], plain);
  keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
  keys_[2] = CrcStep(keys_[2], static_cast<std::uint8_t>(keys_[1] >> 24));
}

void TraditionalDecryption::Decrypt(std::span<std::uint8_t> bytes) {
  for (std::uint8_t& byte : bytes) {
    const std::uint32_t temp = (keys_[2] | 2) & 0xFFFF;
    const auto streamByte = static_cast<std::uint8_t>((temp * (temp ^ 1)) >> 8);
    byte = static_cast<std::uint8_t>(byte ^ streamByte);
    UpdateKeys(byte);
  }
}

}  // namespace tesk::zip

#pragma once
// The traditional PKWARE stream cipher, keyed with the empty password: the
// only password an archive dropped on the window can be opened with.

#include <cstddef>
#include <cstdint>
#include <span>

namespace tesk::zip {

// Every encrypted entry starts with this many header bytes; the last one,
// decrypted, is the check byte.
inline constexpr std::size_t kEncryptionHeaderSize = 12;

class TraditionalDecryption {
 public:
  TraditionalDecryption();

  // Decrypts in place; the keys run on across calls.
  void Decrypt(std::span<std::uint8_t> bytes);

 private:
  void UpdateKeys(std::uint8_t plain);

  std::uint32_t keys_[3];
};

}  // namespace tesk::zip

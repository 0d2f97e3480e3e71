#include "core/byte_buffer.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace tesk::core {

ByteBuffer::~ByteBuffer() { Release(); }

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : bytes_(std::exchange(other.bytes_, nullptr)), size_(std::exchange(other.size_, 0)) {}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    bytes_ = std::exchange(other.bytes_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

bool ByteBuffer::Allocate(std::size_t size) {
  Release();
  // One byte at least, so that an empty buffer still has an address.
  auto* bytes = static_cast<std::uint8_t*>(std::calloc(size == 0 ? 1 : size, 1));
  if (!bytes) return false;
  bytes_ = bytes;
  size_ = size;
  return true;
}

bool ByteBuffer::Grow(std::size_t size) {
  if (size <= size_) return true;
  auto* bytes = static_cast<std::uint8_t*>(std::realloc(bytes_, size));
  if (!bytes) return false;
  std::memset(bytes + size_, 0, size - size_);
  bytes_ = bytes;
  size_ = size;
  return true;
}

void ByteBuffer::Release() {
  std::free(bytes_);
  bytes_ = nullptr;
  size_ = 0;
}

}  // namespace tesk::core

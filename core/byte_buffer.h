#pragma once
// A zero-filled byte buffer whose allocation failure is a result, not an
// exception. Large buffers come from calloc, so the zeros of a buffer that is
// only partly used (the job decoded from a capture text) cost no memory.

#include <cstddef>
#include <cstdint>
#include <span>

namespace tesk::core {

class ByteBuffer {
 public:
  ByteBuffer() = default;
  ~ByteBuffer();
  ByteBuffer(ByteBuffer&& other) noexcept;
  ByteBuffer& operator=(ByteBuffer&& other) noexcept;
  ByteBuffer(const ByteBuffer&) = delete;
  ByteBuffer& operator=(const ByteBuffer&) = delete;

  // Replaces the contents by `size` zero bytes; false (and empty) when the
  // memory cannot be had.
  bool Allocate(std::size_t size);
  // Grows to `size` bytes, keeping the contents and zero-filling the new part.
  bool Grow(std::size_t size);
  void Release();

  std::uint8_t* data() { return bytes_; }
  const std::uint8_t* data() const { return bytes_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  std::span<std::uint8_t> span() { return {bytes_, size_}; }
  std::span<const std::uint8_t> span() const { return {bytes_, size_}; }
  std::uint8_t& operator[](std::size_t index) { return bytes_[index]; }
  const std::uint8_t& operator[](std::size_t index) const { return bytes_[index]; }

 private:
  std::uint8_t* bytes_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace tesk::core

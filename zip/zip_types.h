#pragma once
// Result codes and handles shared by the archive writer and reader.

#include <cstdint>
#include <memory>
#include <utility>

namespace tesk::zip {

using ZipResult = std::uint32_t;

inline constexpr ZipResult kZipOk = 0;
inline constexpr ZipResult kZipCannotOpen = 0x200;
inline constexpr ZipResult kZipWriteFailed = 0x400;
inline constexpr ZipResult kZipBadLocalHeader = 0x700;
inline constexpr ZipResult kZipBadLocalExtra = 0x800;
inline constexpr ZipResult kZipBadPassword = 0x1000;
inline constexpr ZipResult kZipBadArguments = 0x10000;
inline constexpr ZipResult kZipWrongHandle = 0x80000;
inline constexpr ZipResult kZipBadData = 0x5000000;

// MS-DOS attribute bits of an entry: what the writer stores and the reader
// reports, whichever system made the archive.
inline constexpr std::uint32_t kEntryReadOnly = 0x01;
inline constexpr std::uint32_t kEntryHidden = 0x02;
inline constexpr std::uint32_t kEntrySystem = 0x04;
inline constexpr std::uint32_t kEntryDirectory = 0x10;
inline constexpr std::uint32_t kEntryArchive = 0x20;

inline constexpr std::int32_t kZipReaderKind = 1;
inline constexpr std::int32_t kZipWriterKind = 2;

// What a handle owns: a writer or a reader, each saying its kind as kKind.
class ZipComponent {
 public:
  virtual ~ZipComponent() = default;
};

// Created by ZipWriterCreate or ZipReaderOpen, released by the matching close.
// The handle owns its writer or reader, so deleting the handle frees both.
class ZipHandle {
 public:
  template <typename Component>
  static ZipHandle* Adopt(std::unique_ptr<Component> component) {
    return new ZipHandle(Component::kKind, std::move(component));
  }

  // The component of a handle of the expected kind. Every operation checks its
  // handle this way first: none gives 0x10000, the other kind 0x80000. The
  // kind is fixed by the component's own type when the handle is made, so it
  // is the one check needed.
  template <typename Component>
  static Component* ComponentOf(ZipHandle* handle, ZipResult& failure) {
    if (!handle) {
      failure = kZipBadArguments;  // no handle
      return nullptr;
    }
    if (handle->kind_ != Component::kKind) {
      failure = kZipWrongHandle;  // a handle of the other kind
      return nullptr;
    }
    return static_cast<Component*>(handle->component_.get());
  }

 private:
  ZipHandle(std::int32_t kind, std::unique_ptr<ZipComponent> component)
      : kind_(kind), component_(std::move(component)) {}

  std::int32_t kind_;
  std::unique_ptr<ZipComponent> component_;
};

}  // namespace tesk::zip

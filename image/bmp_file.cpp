#include "image/bmp_file.h"

#include "platform/little_endian.h"

namespace tesk::image {

platform::FileWriteResult WriteBmpFile(const DibImage& image, const std::filesystem::path& path) {
  using Status = platform::FileWriteResult::Status;
  platform::FileWriteResult result;
  result.path = path;

  std::uint8_t fileHeader[14] = {'B', 'M'};
  platform::PutLe32(fileHeader + 2, static_cast<std::uint32_t>(image.pixelBytes + kBmpHeaderBytes));
  platform::PutLe32(fileHeader + 10, static_cast<std::uint32_t>(kBmpHeaderBytes));
  std::uint8_t info[kBitmapInfoBytes];
  image.SerializeInfo(info);

  platform::OutputFile file = platform::OutputFile::Create(path);
  if (!file.IsOpen()) {
    result.error = file.Error();
    return result;
  }
  const bool written = file.Write(fileHeader) && file.Write(info) &&
                       file.Write(std::span<const std::uint8_t>(image.pixels.get(), image.pixelBytes));
  const auto length = file.Length();
  if (!written || !length || !file.Close()) {
    result.status = Status::WriteFailed;
    result.error = file.Error();
    return result;
  }
  result.status = Status::Written;
  result.length = *length;
  return result;
}

}  // namespace tesk::image

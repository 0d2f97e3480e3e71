#include "image/png_file.h"

#include "image/png_encoding.h"
#include "platform/code_page.h"
#include "platform/file_system.h"

namespace tesk::image {

platform::FileWriteResult WritePngFile(std::span<const std::uint8_t> pureData,
                                       const PictureGeometry& geometry, const std::filesystem::path& path) {
  return WriteEncodedPngFile(EncodePngPicture(pureData, geometry), path);
}

platform::FileWriteResult WriteEncodedPngFile(const EncodedPng& png, const std::filesystem::path& path) {
  using Status = platform::FileWriteResult::Status;
  platform::FileWriteResult result;
  // The file is created under its narrow spelling and measured (and later kept
  // or deleted) under that spelling widened again, so all three name one file.
  const std::string narrowPath = platform::ToAnsiCodePage(path);
  result.path = platform::FromAnsiCodePage(narrowPath);

  if (png.error != 0) return result;  // silently no PNG, as for a file that cannot be created

  platform::OutputFile file = platform::OutputFile::Create(std::filesystem::path(narrowPath));
  if (!file.IsOpen()) {
    result.error = file.Error();
    return result;
  }
  if (!file.Write(png.Bytes()) || !file.Close()) {
    result.status = Status::WriteFailed;
    result.error = file.Error();
    return result;
  }
  const auto length = platform::FileLength(result.path);
  // Gone again before it could be measured: nothing to report and nothing left to delete.
  if (!length) return result;
  result.status = Status::Written;
  result.length = *length;
  return result;
}

}  // namespace tesk::image

#include "core/file_export.h"

#include <cerrno>

#include "platform/output_file.h"

namespace tesk::core {

int WriteExportFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  platform::OutputFile file = platform::OutputFile::Create(path);
  if (!file.IsOpen()) return file.Error() != 0 ? file.Error() : EIO;
  if (!file.Write(bytes) || !file.Close()) return file.Error() != 0 ? file.Error() : EIO;
  return 0;
}

}  // namespace tesk::core

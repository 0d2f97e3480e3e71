#include "zip/zip_writer.h"

namespace tesk::zip {

ZipHandle* ZipWriterCreate(const std::filesystem::path& /*archivePath*/) {
  return nullptr;  // the writer is not built yet
}

ZipResult ZipWriterAddFile(ZipHandle* handle, const std::string& /*entryName*/,
                           const std::filesystem::path& /*sourcePath*/, int* /*systemError*/) {
  if (!handle) return kZipBadArguments;
  return kZipWrongHandle;
}

ZipResult ZipWriterClose(ZipHandle* handle, int* /*systemError*/) {
  if (!handle) return kZipBadArguments;
  return kZipWrongHandle;
}

}  // namespace tesk::zip

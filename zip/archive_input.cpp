#include "zip/archive_input.h"

namespace tesk::zip {

bool ExtractArchiveInput(std::filesystem::path& /*path*/) {
  return false;  // the reader is not built yet
}

}  // namespace tesk::zip

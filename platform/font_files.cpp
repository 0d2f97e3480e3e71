#include "platform/font_files.h"

#include <array>
#include <string_view>
#include <system_error>

namespace tesk::platform {
namespace {

struct KnownFont {
  std::string_view path;      // where Debian installs it
  std::string_view fileName;  // what to look for elsewhere
};

constexpr std::array kLatinFonts = {
    KnownFont{"/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf", "DejaVuSansMono.ttf"},
    KnownFont{"/usr/share/fonts/truetype/liberation/LiberationMono-Regular.ttf",
              "LiberationMono-Regular.ttf"},
};
constexpr std::array kIdeographFonts = {
    KnownFont{"/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc", "NotoSansCJK-Regular.ttc"},
    KnownFont{"/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", "wqy-zenhei.ttc"},
};
constexpr std::array<std::string_view, 3> kFontFolders = {"/usr/share/fonts", "/usr/local/share/fonts",
                                                          "/usr/X11R6/lib/X11/fonts"};

bool IsFile(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error);
}

std::filesystem::path SearchFolders(std::string_view fileName) {
  for (const std::string_view folder : kFontFolders) {
    std::error_code error;
    std::filesystem::recursive_directory_iterator walk(
        folder, std::filesystem::directory_options::skip_permission_denied, error);
    for (const std::filesystem::recursive_directory_iterator end; !error && walk != end;
         walk.increment(error)) {
      if (walk->path().filename() == fileName && IsFile(walk->path())) return walk->path();
    }
  }
  return {};
}

template <std::size_t Count>
std::filesystem::path Find(const std::array<KnownFont, Count>& fonts) {
  for (const KnownFont& font : fonts)
    if (IsFile(font.path)) return std::filesystem::path(font.path);
  for (const KnownFont& font : fonts)
    if (auto found = SearchFolders(font.fileName); !found.empty()) return found;
  return {};
}

}  // namespace

std::filesystem::path FindFontFile(FontRole role) {
  return role == FontRole::Latin ? Find(kLatinFonts) : Find(kIdeographFonts);
}

}  // namespace tesk::platform

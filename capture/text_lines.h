#pragma once
// Walks a capture text line by line, whether it came with CR LF or LF line
// ends: files that passed through other tools often lost their CRs.

#include <cstddef>
#include <cstring>
#include <string_view>

namespace tesk::capture {

// The text without the spaces around it; capture columns are padded with spaces only.
inline std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// True when the field holds nothing but spaces (or nothing).
inline bool IsBlank(std::string_view field) {
  for (const char character : field)
    if (character != ' ') return false;
  return true;
}

class TextLines {
 public:
  explicit TextLines(std::string_view text, std::size_t from = 0) : text_(text), position_(from) {}

  // The next line without its line end; false at the end of the text. A last
  // line without a line end is a line too.
  bool Next(std::string_view& line) {
    if (position_ >= text_.size()) return false;
    const char* const start = text_.data() + position_;
    const std::size_t rest = text_.size() - position_;
    const void* lineFeed = std::memchr(start, '\n', rest);
    const std::size_t length =
        lineFeed ? static_cast<std::size_t>(static_cast<const char*>(lineFeed) - start) : rest;
    position_ += lineFeed ? length + 1 : length;
    line = std::string_view(start, length);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }

  // Where the line after the last one returned begins.
  std::size_t Position() const { return position_; }

 private:
  std::string_view text_;
  std::size_t position_;
};

}  // namespace tesk::capture

#include "tools/sample_job.h"

#include <algorithm>
#include <array>
#include <string>

namespace tesk::tools {
namespace {

struct Glyph {
  char character;
  std::array<std::uint8_t, 7> rows;  // five bits each, leftmost dot in bit 4
};

constexpr Glyph kFont[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}},
};

const Glyph* FindGlyph(char character) {
  for (const Glyph& glyph : kFont)
    if (glyph.character == character) return &glyph;
  return nullptr;
}

void AppendLe16(std::vector<std::uint8_t>& job, int value) {
  job.push_back(static_cast<std::uint8_t>(value & 0xFF));
  job.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

}  // namespace

DotPicture::DotPicture(int widthBytesIn, int heightIn)
    : widthBytes(widthBytesIn),
      height(heightIn),
      rows(static_cast<std::size_t>(widthBytesIn) * static_cast<std::size_t>(heightIn), 0) {}

void DotPicture::SetDot(int x, int y) {
  if (x < 0 || y < 0 || x >= widthBytes * 8 || y >= height) return;
  rows[static_cast<std::size_t>(y) * static_cast<std::size_t>(widthBytes) +
       static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
}

void DotPicture::FillRect(int x, int y, int width, int heightIn) {
  for (int row = y; row < y + heightIn; ++row)
    for (int column = x; column < x + width; ++column) SetDot(column, row);
}

void DotPicture::DrawText(int x, int y, int scale, std::string_view text) {
  for (const char character : text) {
    if (const Glyph* glyph = FindGlyph(character)) {
      for (int row = 0; row < 7; ++row)
        for (int column = 0; column < 5; ++column)
          if (glyph->rows[static_cast<std::size_t>(row)] & (0x10 >> column))
            FillRect(x + column * scale, y + row * scale, scale, scale);
    }
    x += 6 * scale;
  }
}

DotPicture MakeReceiptPicture(int widthBytes, int height) {
  DotPicture picture(widthBytes, height);
  const int width = widthBytes * 8;
  struct Item {
    const char* name;
    const char* price;
  };
  constexpr Item kItems[] = {{"COFFEE", "3.20"}, {"BAGEL", "2.50"},    {"ORANGE JUICE", "4.10"},
                             {"PAPER", "1.00"},  {"SANDWICH", "6.75"}, {"WATER", "0.90"}};
  int top = 0;
  int receipt = 1;
  while (top < height) {
    int y = top + 8;
    picture.FillRect(4, y, width - 8, 3);
    picture.FillRect(4, y, 3, 52);
    picture.FillRect(width - 7, y, 3, 52);
    picture.FillRect(4, y + 49, width - 8, 3);
    picture.DrawText(16, y + 12, 4, "TESK STORE");
    y += 64;
    picture.DrawText(8, y, 2, "RECEIPT NO. " + std::to_string(1000 + receipt));
    y += 24;
    for (const Item& item : kItems) {
      picture.DrawText(8, y, 2, item.name);
      const std::string price = item.price;
      picture.DrawText(width - 8 - static_cast<int>(price.size()) * 12, y, 2, price);
      y += 20;
    }
    picture.FillRect(8, y, width - 16, 2);
    y += 8;
    picture.DrawText(8, y, 3, "TOTAL");
    picture.DrawText(width - 8 - 5 * 18, y, 3, "18.45");
    y += 32;
    // A barcode of irregular bars, as a real receipt's would be.
    for (int bar = 0, x = 24; x < width - 24; ++bar) {
      const int barWidth = 1 + (bar * 7 + receipt) % 4;
      if (bar % 2 == 0) picture.FillRect(x, y, barWidth, 40);
      x += barWidth;
    }
    y += 48;
    picture.DrawText(8, y, 1, "THANK YOU - COME AGAIN: 2026-12-10");
    top = y + 24;
    ++receipt;
  }
  return picture;
}

std::vector<std::uint8_t> BuildFixedLayoutJob(const DotPicture& picture, int bandHeight, std::uint8_t mode) {
  std::vector<std::uint8_t> job = {0x1B, 0x40, 0x1B, 0x61, 0x01, 0x1B, 0x32};
  const std::size_t bandBytes =
      static_cast<std::size_t>(picture.widthBytes) * static_cast<std::size_t>(bandHeight);
  for (int band = 0; band * bandHeight < picture.height; ++band) {
    if (band > 0) job.insert(job.end(), {0x1B, 0x4A, 0x00});
    job.insert(job.end(), {0x1D, 0x76, 0x30, mode});
    AppendLe16(job, picture.widthBytes);
    AppendLe16(job, bandHeight);
    const auto first = picture.rows.begin() + static_cast<std::ptrdiff_t>(band * bandBytes);
    job.insert(job.end(), first, first + static_cast<std::ptrdiff_t>(bandBytes));
  }
  job.insert(job.end(), {0x1B, 0x64, 0x04, 0x1D, 0x56, 0x42, 0x00});
  return job;
}

// GCC 12 at -O3 reports a write past a std::vector that insert has just grown
// (its -Wstringop-overflow, -overread and -Warray-bounds false positives); later
// compilers do not.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#pragma GCC diagnostic ignored "-Warray-bounds"
#pragma GCC diagnostic ignored "-Wstringop-overread"
#endif
std::vector<std::uint8_t> BuildDriverJob(const DotPicture& picture, int bandHeight, int firstBandAt) {
  std::vector<std::uint8_t> job = {0x1B, 0x40};
  if (firstBandAt == 10) job.insert(job.end(), {0x1B, 0x32});
  job.insert(job.end(), {0x1B, 0x4A, 0xFF, 0x1B, 0x4A, 0xE1});
  const std::size_t bandBytes =
      static_cast<std::size_t>(picture.widthBytes) * static_cast<std::size_t>(bandHeight);
  for (int band = 0; band * bandHeight < picture.height; ++band) {
    const auto first = picture.rows.begin() + static_cast<std::ptrdiff_t>(band * bandBytes);
    const auto last = first + static_cast<std::ptrdiff_t>(bandBytes);
    if (std::all_of(first, last, [](std::uint8_t byte) { return byte == 0; })) {
      job.insert(job.end(), {0x1B, 0x4A, 0x30});
      continue;
    }
    job.insert(job.end(), {0x1D, 0x76, 0x30, 0x00});
    AppendLe16(job, picture.widthBytes);
    AppendLe16(job, bandHeight);
    job.insert(job.end(), first, last);
    job.insert(job.end(), {0x00, 0x1B, 0x24, 0x01, 0x00, 0x1B, 0x4A, static_cast<std::uint8_t>(bandHeight)});
  }
  job.insert(job.end(), {0x1B, 0x4A, 0xB4, 0x1D, 0x56, 0x42, 0x00});
  return job;
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

}  // namespace tesk::tools

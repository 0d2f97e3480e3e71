// How fast the paper is drawn.
//
// tesk-bench-paper [JOB_MEGABYTES]   (default 64)
//
// 1. A driver raster job of that size (GS v 0 bands, ESC J 0 between them):
//    PrintJob against gathering the same bands for the band picture, which is
//    the speed the paper has to keep. The first piece must hold the picture.
// 2. A receipt one metre long (8000 rows at 203 dpi) of ESC * column lines,
//    GS v 0 logos, text and feeds: goal well under 100 ms.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/byte_buffer.h"
#include "core/command_layout.h"
#include "printer/paper.h"
#include "printer/profile.h"
#include "tools/sample_job.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidthBytes = 72;
constexpr int kBandHeight = 24;
constexpr int kRepeats = 5;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

void Append(std::vector<std::uint8_t>& job, std::initializer_list<int> bytes) {
  for (const int byte : bytes) job.push_back(static_cast<std::uint8_t>(byte));
}

// A receipt as a POS application's encoder writes it: a logo, item lines of
// text, a column-image signature block, and a cut.
std::vector<std::uint8_t> OneMetreReceipt(const tesk::tools::DotPicture& logo) {
  std::vector<std::uint8_t> job;
  Append(job, {0x1B, 0x40});
  std::int64_t height = 0;
  while (height < 8000) {
    Append(job, {0x1B, 0x61, 0x01, 0x1D, 0x76, 0x30, 0x00, kWidthBytes / 2, 0x00, logo.height & 0xFF,
                 logo.height >> 8});
    for (int row = 0; row < logo.height; ++row)
      job.insert(job.end(), logo.rows.begin() + row * logo.widthBytes,
                 logo.rows.begin() + row * logo.widthBytes + kWidthBytes / 2);
    height += logo.height;
    Append(job, {0x1B, 0x61, 0x00});
    for (int line = 0; line < 20; ++line) {
      const std::string text = "ITEM " + std::to_string(line) + "                      12.50\n";
      job.insert(job.end(), text.begin(), text.end());
      height += 30;
    }
    Append(job, {0x1B, 0x33, 0x00});
    for (int line = 0; line < 8; ++line) {
      Append(job, {0x1B, 0x2A, 0x21, 576 & 0xFF, 576 >> 8});
      for (int column = 0; column < 576; ++column) Append(job, {column & 0xFF, 0x5A, (column * 7) & 0xFF});
      Append(job, {0x0A});
      height += 24;
    }
    Append(job, {0x1B, 0x32, 0x1B, 0x4A, 0x40});
    height += 64;
  }
  Append(job, {0x1D, 0x56, 0x42, 0x10});
  return job;
}

}  // namespace

int main(int argc, char** argv) {
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 64;
  if (megabytes <= 0) {
    std::fprintf(stderr, "usage: tesk-bench-paper [JOB_MEGABYTES]\n");
    return 2;
  }
  tesk::printer::Profile profile;
  std::string message;
  if (tesk::printer::LoadProfile(tesk::printer::kDefaultProfileName, profile, message) !=
      tesk::printer::ProfileResult::Loaded) {
    std::fprintf(stderr, "profile: %s\n", message.c_str());
    return 1;
  }

  const int bands = std::max(1, static_cast<int>(megabytes * 1e6 / (kWidthBytes * kBandHeight + 11)));
  const auto picture = tesk::tools::MakeReceiptPicture(kWidthBytes, bands * kBandHeight);
  const auto job = tesk::tools::BuildFixedLayoutJob(picture, kBandHeight);

  double bestPaper = 1e30;
  double bestGather = 1e30;
  int status = 0;
  for (int repeat = 0; repeat < kRepeats && status == 0; ++repeat) {
    tesk::printer::Paper paper;
    auto start = Clock::now();
    const auto result = tesk::printer::PrintJob(job, profile, paper);
    bestPaper = std::min(bestPaper, Seconds(Clock::now() - start));
    if (result != tesk::printer::PaperResult::Printed || paper.pieces.empty() ||
        paper.pieces[0].height < picture.height ||
        std::memcmp(paper.pieces[0].rows.data(), picture.rows.data(), picture.rows.size()) != 0) {
      std::fprintf(stderr, "the paper does not hold the job's picture\n");
      status = 1;
    }
    start = Clock::now();
    const auto layout = tesk::core::PlanCommandLayout(job);
    tesk::core::ByteBuffer pure;
    tesk::core::GatherCommandBands(job, layout, pure);
    bestGather = std::min(bestGather, Seconds(Clock::now() - start));
  }
  std::printf("driver raster job   %6.1f MB\n", job.size() / 1e6);
  std::printf("PrintJob            %8.1f ms  %8.1f MB/s\n", bestPaper * 1e3, job.size() / bestPaper / 1e6);
  std::printf("band gathering      %8.1f ms  %8.1f MB/s   (goal: the paper at band speed: %s)\n",
              bestGather * 1e3, job.size() / bestGather / 1e6,
              bestPaper <= 2 * bestGather ? "met" : "missed");

  const auto logo = tesk::tools::MakeReceiptPicture(kWidthBytes, 120);
  const auto receipt = OneMetreReceipt(logo);
  double bestReceipt = 1e30;
  std::int64_t height = 0;
  for (int repeat = 0; repeat < kRepeats && status == 0; ++repeat) {
    tesk::printer::Paper paper;
    const auto start = Clock::now();
    tesk::printer::PrintJob(receipt, profile, paper);
    bestReceipt = std::min(bestReceipt, Seconds(Clock::now() - start));
    height = paper.Height();
  }
  std::printf("one-metre receipt   %8.1f ms  %lld rows (%.2f m)   (goal under 100 ms: %s)\n",
              bestReceipt * 1e3, static_cast<long long>(height), height / 203.0 * 0.0254,
              bestReceipt < 0.1 ? "met" : "missed");
  return status;
}

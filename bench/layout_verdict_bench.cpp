// What the layout verdict costs a run: the verdict alone and a whole
// conversion run (outputs written, none kept) on 64 MiB jobs of 576-dot bands,
// in the fixed layout and as a receipt driver writes them.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

#include "core/conversion_run.h"
#include "core/layout_check.h"
#include "platform/file_system.h"
#include "tools/sample_job.h"

namespace {

double BestOfFive(const std::function<void()>& work) {
  double best = 1e30;
  for (int round = 0; round < 5; ++round) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    best = std::min(best, elapsed.count());
  }
  return best;
}

void Measure(const char* name, const std::vector<std::uint8_t>& job, const std::filesystem::path& folder) {
  using namespace tesk;
  bool fits = false;
  const double verdict = BestOfFive([&] { fits = core::JudgeFixedLayout(job).fits; });

  const std::filesystem::path input = folder / "job.prn";
  {
    std::FILE* file = std::fopen(input.c_str(), "wb");
    std::fwrite(job.data(), 1, job.size(), file);
    std::fclose(file);
  }
  core::RunOptions options;
  options.keepPlainBinaryZip = options.keepBitmap = options.keepPng = false;
  core::RasterSource source;
  image::DibImage image;
  const double run = BestOfFive([&] {
    core::RunFigures figures;
    core::RunConversion(input, options, figures, source, image);
  });
  std::printf("layout verdict: %s, %.1f MB job (%s): verdict %.4f s, whole run %.3f s (%.1f %%)\n", name,
              job.size() / 1e6, fits ? "fits" : "does not fit", verdict, run, 100 * verdict / run);
}

}  // namespace

int main() {
  using namespace tesk;
  constexpr int kBandHeight = 24;
  constexpr int kBands = 38836;  // 1728-byte bands: 64 MiB of dot data
  const auto picture = tools::MakeReceiptPicture(72, kBandHeight * kBands);
  const std::filesystem::path folder = platform::CreateTemporaryFolder();
  Measure("fixed layout", tools::BuildFixedLayoutJob(picture, kBandHeight), folder);
  Measure("driver layout", tools::BuildDriverJob(picture, kBandHeight, 10), folder);
  platform::RemoveFolderTree(folder);
  return 0;
}

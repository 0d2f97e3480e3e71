// How fast a huge capture text decodes, and how much memory its load takes.
//
// tesk-bench-capture [JOB_MEGABYTES]   (default 40)
//
// Writes, in a temporary folder, the capture text of a receipt job of about
// that size at 16 bytes per line, and the same job as bare hex. Times
// DecodeCaptureText alone and RasterSource::Load, reads the peak memory of the
// process, and times `xxd -r -p` on the bare hex for comparison; then the same
// for the whole reader (ReadWholeCapture alone, and a load that reads capture
// text whole). Every decoded job is checked against xxd's output, so a fast
// wrong decoder cannot pass.

#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "capture/capture_decoder.h"
#include "capture/whole_capture_reader.h"
#include "core/raster_source.h"
#include "tools/capture_text.h"
#include "tools/sample_job.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kBytesPerLine = 16;
constexpr int kWidthBytes = 72;
constexpr int kBandHeight = 24;
constexpr int kRepeats = 5;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

double MegabytesPerSecond(std::uint64_t bytes, double seconds) { return bytes / seconds / 1e6; }

double PeakMegabytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

// Writes the capture and the bare hex; returns the job's size.
std::uint64_t WriteInputs(double jobMegabytes, const fs::path& capturePath, const fs::path& hexPath) {
  const int bandBytes = kWidthBytes * kBandHeight;
  const int bands = std::max(1, static_cast<int>(jobMegabytes * 1e6 / (bandBytes + 3)));
  std::vector<tesk::tools::CaptureTransfer> transfers;
  transfers.push_back({"CTL", {0xA1, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF1, 0x03}, "CLASS"});
  {
    const auto picture = tesk::tools::MakeReceiptPicture(kWidthBytes, bands * kBandHeight);
    transfers.push_back({"OUT", tesk::tools::BuildFixedLayoutJob(picture, kBandHeight), ""});
  }
  transfers.push_back({"IN", {0x12}, ""});
  const std::vector<std::uint8_t>& job = transfers[1].bytes;

  std::ofstream capture(capturePath, std::ios::binary);
  tesk::tools::WriteCaptureText(tesk::tools::CaptureLayout{kBytesPerLine, "27.2"}, transfers,
                                [&capture](std::string_view piece) {
                                  capture.write(piece.data(), static_cast<std::streamsize>(piece.size()));
                                });

  // The layout of `xxd -p`: 30 bytes to a line.
  std::ofstream hex(hexPath, std::ios::binary);
  constexpr char kDigits[] = "0123456789abcdef";
  std::string line;
  for (std::size_t offset = 0; offset < job.size(); offset += 30) {
    line.clear();
    for (std::size_t index = offset; index < std::min(job.size(), offset + 30); ++index) {
      line += kDigits[job[index] >> 4];
      line += kDigits[job[index] & 0x0F];
    }
    line += '\n';
    hex.write(line.data(), static_cast<std::streamsize>(line.size()));
  }
  return (capture && hex) ? job.size() : 0;
}

std::vector<std::uint8_t> ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const char* Verdict(bool met) { return met ? "goal met" : "BELOW GOAL"; }

}  // namespace

int main(int argc, char** argv) {
  const double jobMegabytes = argc > 1 ? std::atof(argv[1]) : 40.0;
  if (jobMegabytes <= 0) {
    std::fprintf(stderr, "usage: tesk-bench-capture [JOB_MEGABYTES]\n");
    return 2;
  }
  std::string pattern = (fs::temp_directory_path() / "tesk-bench-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path folder = pattern;
  const fs::path capturePath = folder / "capture.txt";
  const fs::path hexPath = folder / "job.hex";
  const fs::path xxdPath = folder / "job.xxd";

  const std::uint64_t jobSize = WriteInputs(jobMegabytes, capturePath, hexPath);
  const std::uint64_t textSize = fs::file_size(capturePath);
  const std::uint64_t hexSize = fs::file_size(hexPath);
  int status = jobSize == 0 ? 1 : 0;
  std::printf("capture text: %.1f MB for a job of %.1f MB, %d bytes per line\n", textSize / 1e6,
              jobSize / 1e6, kBytesPerLine);

  tesk::core::RasterSource source;
  double bestLoad = 1e30;
  for (int repeat = 0; repeat < kRepeats && status == 0; ++repeat) {
    fs::path path = capturePath;
    const auto start = Clock::now();
    const tesk::core::CaptureKind kind = source.Load(path);
    bestLoad = std::min(bestLoad, Seconds(Clock::now() - start));
    if (kind != tesk::core::CaptureKind::CaptureText ||
        static_cast<std::uint64_t>(source.dataLength) != jobSize) {
      std::fprintf(stderr, "load failed: kind %d, %d bytes\n", static_cast<int>(kind), source.dataLength);
      status = 1;
    }
  }
  const double peak = PeakMegabytes();

  double bestDecode = 1e30;
  for (int repeat = 0; repeat < kRepeats && status == 0; ++repeat) {
    tesk::capture::CaptureDecodeTarget target{source.data.span()};
    const auto start = Clock::now();
    tesk::capture::DecodeCaptureText(source.text, target);
    bestDecode = std::min(bestDecode, Seconds(Clock::now() - start));
  }

  double bestXxd = 1e30;
  for (int repeat = 0; repeat < 2 && status == 0; ++repeat) {
    const std::string command = "xxd -r -p '" + hexPath.string() + "' '" + xxdPath.string() + "'";
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) {
      std::fprintf(stderr, "xxd failed\n");
      status = 1;
    }
    bestXxd = std::min(bestXxd, Seconds(Clock::now() - start));
  }
  if (status == 0) {
    const auto reference = ReadWholeFile(xxdPath);
    if (reference.size() != jobSize ||
        std::memcmp(reference.data(), source.data.data(), reference.size()) != 0) {
      std::fprintf(stderr, "the decoded job differs from xxd's\n");
      status = 1;
    }
  }

  // The whole reader, on the same capture and into the same room.
  double bestWhole = 1e30;
  for (int repeat = 0; repeat < kRepeats && status == 0; ++repeat) {
    tesk::capture::WholeCaptureTarget target{source.data.span()};
    const auto start = Clock::now();
    const auto result = tesk::capture::ReadWholeCapture(source.text, target);
    bestWhole = std::min(bestWhole, Seconds(Clock::now() - start));
    if (result != tesk::capture::WholeCaptureResult::Job ||
        static_cast<std::uint64_t>(target.dataLength) != jobSize) {
      std::fprintf(stderr, "whole read failed: %d bytes\n", target.dataLength);
      status = 1;
    }
  }
  const auto reference = status == 0 ? ReadWholeFile(xxdPath) : std::vector<std::uint8_t>();
  if (status == 0 && std::memcmp(reference.data(), source.data.data(), reference.size()) != 0) {
    std::fprintf(stderr, "the whole reader's job differs from xxd's\n");
    status = 1;
  }
  tesk::core::RasterSource wholeSource;
  wholeSource.captureReading = tesk::core::CaptureReading::Whole;
  double bestWholeLoad = 1e30;
  for (int repeat = 0; repeat < kRepeats && status == 0; ++repeat) {
    fs::path path = capturePath;
    const auto start = Clock::now();
    const tesk::core::CaptureKind kind = wholeSource.Load(path);
    bestWholeLoad = std::min(bestWholeLoad, Seconds(Clock::now() - start));
    if (kind != tesk::core::CaptureKind::CaptureText || wholeSource.dataLength != source.dataLength ||
        std::memcmp(reference.data(), wholeSource.data.data(), reference.size()) != 0) {
      std::fprintf(stderr, "whole load failed: kind %d, %d bytes\n", static_cast<int>(kind),
                   wholeSource.dataLength);
      status = 1;
    }
  }

  if (status == 0) {
    const double decodeRate = MegabytesPerSecond(textSize, bestDecode);
    const double loadRate = MegabytesPerSecond(textSize, bestLoad);
    const double peakRatio = peak * 1024 * 1024 / static_cast<double>(textSize);
    std::printf("DecodeCaptureText   %8.1f ms  %8.1f MB/s of text   (goal 1000 MB/s: %s)\n", bestDecode * 1e3,
                decodeRate, Verdict(decodeRate >= 1000));
    std::printf("RasterSource::Load  %8.1f ms  %8.1f MB/s of text   (goal 400 MB/s: %s)\n", bestLoad * 1e3,
                loadRate, Verdict(loadRate >= 400));
    std::printf("peak memory         %8.1f MiB = %.2f x the file   (goal 2.2 x: %s)\n", peak, peakRatio,
                Verdict(peakRatio <= 2.2));
    const double wholeRate = MegabytesPerSecond(textSize, bestWhole);
    const double wholeLoadRate = MegabytesPerSecond(textSize, bestWholeLoad);
    std::printf("ReadWholeCapture    %8.1f ms  %8.1f MB/s of text   (goal 1000 MB/s: %s)\n", bestWhole * 1e3,
                wholeRate, Verdict(wholeRate >= 1000));
    std::printf("Load, whole reading %8.1f ms  %8.1f MB/s of text   (goal 400 MB/s: %s)\n",
                bestWholeLoad * 1e3, wholeLoadRate, Verdict(wholeLoadRate >= 400));
    std::printf("xxd -r -p           %8.1f ms  %8.1f MB/s of hex (%.1f MB); decoder %.1f x as fast (%s)\n",
                bestXxd * 1e3, MegabytesPerSecond(hexSize, bestXxd), hexSize / 1e6, bestXxd / bestDecode,
                Verdict(bestDecode < bestXxd));
  }
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return status;
}

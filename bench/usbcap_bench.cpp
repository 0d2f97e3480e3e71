// Decoding speed of large USB packet captures: pcapng files of about 200 MB
// holding a long receipt job in large URBs (few records, mostly copying) and
// in 512-byte URBs (many records), each read whole several times.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "tools/sample_job.h"
#include "tools/usb_capture_writer.h"
#include "usbcap/usb_capture.h"

namespace {

bool Measure(const std::vector<std::uint8_t>& job, std::size_t urbSize) {
  using namespace tesk;
  tools::UsbCaptureWriter writer({.file = tools::CaptureFile::PcapNg, .linkType = 220});
  writer.Add(tools::MakePrinterSession(job, urbSize));
  const std::vector<std::uint8_t>& file = writer.Bytes();
  std::vector<std::uint8_t> data(file.size());

  double best = 1e30;
  std::uint64_t length = 0;
  for (int round = 0; round < 5; ++round) {
    const auto start = std::chrono::steady_clock::now();
    const usbcap::UsbCaptureResult result = usbcap::DecodeUsbCapture(file, data);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    best = std::min(best, elapsed.count());
    length = result.jobLength;
  }
  const bool whole = length == job.size() && std::equal(job.begin(), job.end(), data.begin());
  std::printf("usbcap: %zu-byte URBs, %.1f MB capture, %.1f MB job%s, best of 5: %.3f s, %.0f MB/s\n",
              urbSize, file.size() / 1e6, length / 1e6, whole ? "" : " (WRONG JOB)", best,
              file.size() / 1e6 / best);
  return whole;
}

}  // namespace

int main() {
  using namespace tesk;
  constexpr int kBandHeight = 24;
  constexpr int kBands = 110000;  // 576-dot bands of 1728 bytes: about 190 MB of job
  const auto picture = tools::MakeReceiptPicture(72, kBandHeight * kBands);
  const std::vector<std::uint8_t> job = tools::BuildFixedLayoutJob(picture, kBandHeight);
  const bool large = Measure(job, 16384);
  const bool small = Measure(job, 512);
  return large && small ? 0 : 1;
}

// A whole conversion run on arbitrary input, outputs kept and deleted alike.

#include <cstdlib>

#include "core/conversion_run.h"
#include "fuzz/fuzz_sandbox.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tesk;
  if (size < 1) return 0;
  fuzz::LowerLimitsForFuzzing();
  fuzz::FuzzSandbox sandbox;
  // The first byte picks the options; the rest is the input file.
  core::RunOptions options;
  options.keepPlainBinary = data[0] & 1;
  options.keepPlainBinaryZip = data[0] & 2;
  options.keepPureData = data[0] & 4;
  options.keepBitmap = data[0] & 8;
  options.keepPng = data[0] & 16;
  options.bottomUp = data[0] & 32;
  options.layout = (data[0] & 64) ? core::BandLayoutChoice::Commands : core::BandLayoutChoice::Fixed;
  options.captureReading = (data[0] & 128) ? core::CaptureReading::Whole : core::CaptureReading::Default;
  const std::filesystem::path input = sandbox.WriteInput("input.txt", {data + 1, size - 1});
  {
    core::RasterSource source;
    image::DibImage image;
    core::RunFigures figures;
    core::RunConversion(input, options, figures, source, image);
  }
  sandbox.CheckNothingEscaped();
  return 0;
}

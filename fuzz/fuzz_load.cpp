// RasterSource::Load of arbitrary bytes: raw jobs, capture texts and archives
// (which extract into the input's own folder).

#include <cstdlib>
#include <cstring>

#include "core/raster_source.h"
#include "fuzz/fuzz_sandbox.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tesk;
  fuzz::FuzzSandbox sandbox;
  std::filesystem::path path = sandbox.WriteInput("input.zip", {data, size});
  {
    core::RasterSource source;
    const core::CaptureKind kind = source.Load(path);
    if (kind == core::CaptureKind::RawJob || kind == core::CaptureKind::CaptureText ||
        kind == core::CaptureKind::UsbPacketCapture) {
      if (source.dataLength < 0 || source.dataLength > source.fileSize) std::abort();
      // Everything behind the job stays zero.
      for (std::size_t index = static_cast<std::size_t>(source.dataLength); index < source.data.size();
           ++index)
        if (source.data[index] != 0) std::abort();
    }
  }
  sandbox.CheckNothingEscaped();
  return 0;
}

#include "core/raster_source.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "capture/capture_decoder.h"
#include "commands/command_stream.h"
#include "zip/archive_input.h"
#include "zip/zip_records.h"

namespace tesk::core {
namespace {

bool StartsWith(const ByteBuffer& bytes, std::initializer_list<std::uint8_t> prefix) {
  // fileBytes always ends in two zero bytes, and none of the signatures holds a
  // zero, so the comparison stops inside the buffer even for tiny files.
  std::size_t index = 0;
  for (std::uint8_t expected : prefix) {
    if (index >= bytes.size() || bytes[index] != expected) return false;
    ++index;
  }
  return true;
}

// Windows tools (PowerShell's redirection, Notepad's "Unicode") save text as
// UTF-16 behind a byte-order mark. Narrows such a file the way bytes are
// widened for the capture readers, one character to one byte: code units
// above 0xFF, which no capture line needs, become '?'. Stops at a zero unit.
// False when the file has no UTF-16 byte-order mark.
bool NarrowUtf16Text(std::span<const std::uint8_t> bytes, std::string& narrowed) {
  if (bytes.size() < 2) return false;
  const bool littleEndian = bytes[0] == 0xFF && bytes[1] == 0xFE;
  const bool bigEndian = bytes[0] == 0xFE && bytes[1] == 0xFF;
  if (!littleEndian && !bigEndian) return false;
  narrowed.clear();
  narrowed.reserve(bytes.size() / 2);
  for (std::size_t index = 2; index + 1 < bytes.size(); index += 2) {
    const unsigned unit =
        littleEndian ? bytes[index] | bytes[index + 1] << 8 : bytes[index] << 8 | bytes[index + 1];
    if (unit == 0) break;
    narrowed.push_back(unit > 0xFF ? '?' : static_cast<char>(unit));
  }
  return true;
}

}  // namespace

void RasterSource::ReleaseFile() {
  file.Close();
  fileBytes.Release();
  data.Release();
  text = {};
  narrowedText = {};
  captureStatistics = {};
}

CaptureKind RasterSource::Load(std::filesystem::path& path) {
  archives.clear();
  // One budget for every archive of the chain, set by the outermost one, so
  // nesting does not multiply what a small file may write.
  std::optional<std::uint64_t> extractionBudget;
  for (int pass = 0;; ++pass) {
    ReleaseFile();
    bytesPerLine = 0;
    dataLength = 0;
    fileSize = 0;
    usbCapture = {};
    usbTransfers.clear();
    usbInTransfers.clear();
    captureSides = {};

    file = platform::InputFile::Open(path);
    if (!file.IsOpen()) return CaptureKind::OpenFailed;

    const std::uint64_t size = file.Size();
    if (size > kLargestLoadableFile) {
      file.Close();
      return CaptureKind::OpenFailed;  // outside the 32-bit data model
    }
    if (!fileBytes.Allocate(size + 2) || !data.Allocate(size)) {
      ReleaseFile();
      return CaptureKind::OpenFailed;  // no memory for the file
    }
    fileSize = static_cast<std::int32_t>(size);
    if (!ReadFileBytes(size)) {
      ReleaseFile();
      kind = CaptureKind::Cancelled;
      return kind;
    }

    if (StartsWith(fileBytes, {0x1B, 0x40})) return TakeFileAsRawJob();

    if (zip::StartsWithLocalHeader(std::span<const std::uint8_t>(fileBytes.data(), size))) {
      if (pass >= kDeepestArchiveNesting) return CaptureKind::Invalid;
      if (!extractionBudget) extractionBudget = zip::ExtractionBudget(size);
      LoadedArchive archive;
      if (!zip::ExtractArchiveInput(path, *extractionBudget, &archive.extraction))
        return CaptureKind::Invalid;
      archive.file = std::move(file);
      archives.push_back(std::move(archive));
      continue;
    }

    // USB packet captures: their magic numbers never begin a capture text.
    if (usbcap::LooksLikeUsbCapture(std::span<const std::uint8_t>(fileBytes.data(), size))) {
      if (!DecodeUsbCapture()) return kind == CaptureKind::Cancelled ? kind : CaptureKind::Invalid;
      kind = CaptureKind::UsbPacketCapture;
      return kind;
    }

    const auto* characters = reinterpret_cast<const char*>(fileBytes.data());
    text = std::string_view(characters, std::strlen(characters));
    bytesPerLine = 0;
    dataLength = 0;
    if (captureReading == CaptureReading::Whole) {
      if (NarrowUtf16Text(std::span<const std::uint8_t>(fileBytes.data(), size), narrowedText))
        text = narrowedText;
      const CaptureKind read = ReadWholeCaptureText();
      return read == CaptureKind::Invalid ? TakeCommandStream() : read;
    }
    if (DecodeCaptureText() == 1) {
      kind = CaptureKind::CaptureText;
      // Without a count learnt, each line's own layout ends its bytes.
      ListCaptureSides(capture::DefaultLayoutColumns(),
                       bytesPerLine > 0 ? static_cast<std::size_t>(bytesPerLine) : SIZE_MAX);
      return kind;
    }
    if (kind == CaptureKind::Cancelled) return kind;
    return TakeCommandStream();
  }
}

CaptureKind RasterSource::TakeFileAsRawJob() {
  // The file is the job: its buffer becomes the job's, two zero bytes and all,
  // rather than the job being held twice. Whatever a capture reader that gave
  // up left in the old buffer goes with it.
  data = std::move(fileBytes);
  text = {};  // it viewed the buffer that is the job's now
  dataLength = fileSize;
  bytesPerLine = 0;
  kind = CaptureKind::RawJob;
  return kind;
}

CaptureKind RasterSource::TakeCommandStream() {
  const std::span<const std::uint8_t> bytes(fileBytes.data(), static_cast<std::size_t>(fileSize));
  if (!acceptCommandStream || !commands::LooksLikeCommandStream(bytes)) return CaptureKind::Invalid;
  return TakeFileAsRawJob();
}

void RasterSource::ReleaseArchiveReplacedBy(const std::filesystem::path& archivePath,
                                            std::string_view entryName) {
  for (LoadedArchive& archive : archives)
    if (archive.extraction.entryCount == 1 && archive.extraction.lastEntryName == entryName &&
        archive.file.IsSameFileAs(archivePath))
      archive.file.Close();
}

bool RasterSource::ReadFileBytes(std::uint64_t size) {
  // A short read is no error: what was not read stays zero.
  if (!progress) {
    file.ReadFully(std::span<std::uint8_t>(fileBytes.data(), size));
    return true;
  }
  // Read a step at a time so that the hook sees the bytes come in, and can stop
  // a long read of a slow disk.
  const platform::ProgressHook hook = [this, size](std::uint64_t read) { return progress({read, 0, size}); };
  platform::ProgressSteps steps(&hook);
  for (std::uint64_t read = 0; read < size;) {
    const std::uint64_t step = std::min<std::uint64_t>(platform::ProgressSteps::kStep, size - read);
    const std::uint64_t got = file.ReadFully(std::span<std::uint8_t>(fileBytes.data() + read, step));
    read += got;
    if (!steps.Continue(read)) return false;
    if (got < step) break;
  }
  return true;
}

platform::ProgressHook RasterSource::DecodeProgressHook() const {
  if (!progress) return {};
  const auto size = static_cast<std::uint64_t>(fileSize);
  return [this, size](std::uint64_t position) { return progress({size, std::min(position, size), size}); };
}

void RasterSource::ListCaptureSides(const capture::CaptureColumns& columns, std::size_t lineLimit) {
  if (!listCaptureSides) return;
  capture::ListCaptureInTransfers(text, columns, lineLimit, captureSides);
  capture::NumberCaptureLines(text, captureSides);
}

int RasterSource::DecodeCaptureText() {
  capture::CaptureDecodeTarget target{data.span(), dataLength, bytesPerLine};
  if (listCaptureSides) target.lines = &captureSides.lines;
  const platform::ProgressHook hook = DecodeProgressHook();
  if (hook) target.progress = &hook;
  const int result = capture::DecodeCaptureText(text, target);
  dataLength = target.dataLength;
  bytesPerLine = target.bytesPerLine;
  kind = target.kindIsCapture ? CaptureKind::CaptureText : CaptureKind::Invalid;
  if (target.cancelled) kind = CaptureKind::Cancelled;
  return result;
}

bool RasterSource::DecodeUsbCapture() {
  const std::span<const std::uint8_t> bytes(fileBytes.data(), static_cast<std::size_t>(fileSize));
  const platform::ProgressHook hook = DecodeProgressHook();
  const usbcap::UsbCaptureResult result =
      usbcap::DecodeUsbCapture(bytes, data.span(), listUsbTransfers ? &usbTransfers : nullptr,
                               listUsbTransfers ? &usbInTransfers : nullptr, hook ? &hook : nullptr);
  // Set either way, so that a stopped load before never speaks for this one.
  kind = result.cancelled ? CaptureKind::Cancelled : CaptureKind::Invalid;
  if (result.cancelled) return false;
  usbCapture = result.statistics;
  // The job's bytes all come from the file, so the length fits the 32-bit data model.
  dataLength = static_cast<std::int32_t>(result.jobLength);
  return result.jobFound;
}

CaptureKind RasterSource::ReadWholeCaptureText() {
  capture::WholeCaptureTarget target{data.span()};
  target.grow = [this](std::size_t size) {
    return data.Grow(size) ? data.span() : std::span<std::uint8_t>();
  };
  // Repeat counts can make a job far longer than its file; a few bytes of text
  // must not be able to ask for gigabytes, so the expanded job is held to the
  // larger of the file and kLargestExpandedJob.
  target.largestJob = static_cast<std::size_t>(
      std::max<std::uint64_t>(static_cast<std::uint64_t>(fileSize), kLargestExpandedJob));
  if (listCaptureSides) target.lines = &captureSides.lines;
  const platform::ProgressHook hook = DecodeProgressHook();
  if (hook) target.progress = &hook;
  const capture::WholeCaptureResult result = capture::ReadWholeCapture(text, target);
  if (result == capture::WholeCaptureResult::Cancelled) {
    kind = CaptureKind::Cancelled;
    return kind;
  }
  dataLength = target.dataLength;
  bytesPerLine = target.bytesPerLine;
  captureStatistics = std::move(target.statistics);
  kind = result == capture::WholeCaptureResult::Job ? CaptureKind::CaptureText : CaptureKind::Invalid;
  if (kind == CaptureKind::CaptureText) {
    const bool lineCounted = captureStatistics.bytesPerLineSource == capture::BytesPerLineSource::LineOffsets;
    ListCaptureSides(captureStatistics.columns,
                     lineCounted ? static_cast<std::size_t>(bytesPerLine) : SIZE_MAX);
  }
  if (result == capture::WholeCaptureResult::NoRoom) {
    ReleaseFile();
    return CaptureKind::OpenFailed;  // no memory for the job, as for a file too large
  }
  return kind;
}

}  // namespace tesk::core

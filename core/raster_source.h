#pragma once
// The loader's record: the file last loaded, its bytes, and the print job found
// in it. One lives as long as the window (or the command-line run) does.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "capture/capture_side_lists.h"
#include "capture/whole_capture_reader.h"
#include "core/byte_buffer.h"
#include "core/capture_kind.h"
#include "core/run_types.h"
#include "platform/input_file.h"
#include "platform/progress_steps.h"
#include "usbcap/usb_capture.h"
#include "zip/archive_input.h"

namespace tesk::core {

using platform::kLargestLoadableFile;

// The most a capture's repeat counts may expand a job to (beyond its own file
// size): sixteen times the largest picture a real job draws.
inline constexpr std::uint64_t kLargestExpandedJob = std::uint64_t{256} * 1024 * 1024;

// Archives inside archives are followed this deep; a deeper chain (or an
// archive that, extracted, gives itself back) is nothing valid.
inline constexpr int kDeepestArchiveNesting = 16;

// How far a load has come: the file's bytes read, then, for a capture, how far
// into them the decoding is.
struct LoadProgress {
  std::uint64_t bytesRead = 0;
  std::uint64_t bytesDecoded = 0;
  std::uint64_t fileSize = 0;
};
// Called on the loading thread, a step at a time; returning false stops the
// load (Load gives CaptureKind::Cancelled).
using LoadProgressHook = std::function<bool(const LoadProgress&)>;

// An archive the last load went through. It stays held, as the loaded file
// does, so that no output of the run replaces it.
struct LoadedArchive {
  platform::InputFile file;
  zip::ArchiveExtraction extraction;
};

struct PureDataPlan {
  std::int64_t firstDataOffset = 18;
  std::int64_t bandBytes = 0;   // widthBytes x bandHeight
  std::int64_t bandCount = 0;   // bands whose first byte lies before dataLength
  std::int64_t pureLength = 0;  // bandCount x bandBytes
  // False when the last band is cut off so far that it may not be completed
  // (see MayCompleteBand); such a job is not valid.
  bool lastBandCompletable = true;
};

class RasterSource {
 public:
  CaptureKind kind = CaptureKind::Invalid;
  platform::InputFile file;
  std::int32_t fileSize = 0;
  ByteBuffer fileBytes;  // the file's bytes and two zero bytes
  // The job's bytes; capacity fileSize, more once bands are completed or a
  // whole capture's repeats are expanded.
  ByteBuffer data;
  // The file as text, up to its first zero byte. A view of fileBytes rather than
  // a copy widened to UTF-16: widening each byte to the code unit of the same
  // value changes none of the decoder's comparisons, and the view saves twice
  // the file's size in memory on captures of hundreds of megabytes.
  std::string_view text;
  // A capture saved as UTF-16 (with its byte-order mark), narrowed to one byte
  // a character for the whole reading; `text` then views this.
  std::string narrowedText;
  std::int32_t mode = 0;
  std::int32_t widthBytes = 0;
  std::int32_t bandHeight = 0;
  std::int32_t bytesPerLine = 0;
  std::int32_t dataLength = 0;
  // What the last USB packet capture held (kind 2), for --inspect.
  usbcap::UsbCaptureStatistics usbCapture;
  // Set to have a USB packet capture's transfers listed in usbTransfers; off
  // for conversions, which need only the job.
  bool listUsbTransfers = false;
  std::vector<usbcap::UsbTransfer> usbTransfers;
  // With listUsbTransfers: what the job's device sent back.
  std::vector<usbcap::UsbInTransfer> usbInTransfers;
  // Set to have a capture text's lines and IN transfers listed in captureSides.
  bool listCaptureSides = false;
  capture::CaptureSideLists captureSides;
  // Told while the file is read and decoded; none: the load goes through.
  LoadProgressHook progress;
  // Which reader the next load gives a capture text; the run sets it from its options.
  CaptureReading captureReading = CaptureReading::Default;
  // What the whole reader found in the last capture text it read.
  capture::WholeCaptureStatistics captureStatistics;
  // Set to take a file that the capture readers refuse as a raw job when it
  // reads as an ESC/POS command stream (AcceptsAnyCommandStream).
  bool acceptCommandStream = false;
  // The archives the last load extracted, outermost first.
  std::vector<LoadedArchive> archives;

  // Loads the file at `path`; for archive input, `path` is rewritten to the
  // file finally loaded.
  CaptureKind Load(std::filesystem::path& path);

  // Lets go of a held archive at `archivePath` that held nothing but one entry
  // named `entryName`: an earlier run's archive of the same job, dropped again,
  // which the new archive of that entry is to replace.
  void ReleaseArchiveReplacedBy(const std::filesystem::path& archivePath, std::string_view entryName);

  // Decodes `text` into `data`; 1 when a capture was found, else 0.
  int DecodeCaptureText();

  // Takes the job out of a USB packet capture in fileBytes; true when one was found.
  bool DecodeUsbCapture();
  // Reads the whole job out of `text` into `data`, which grows when repeats
  // make the job longer than the file.
  CaptureKind ReadWholeCaptureText();

  // Reads the first band header (mode byte, width in bytes, height in dots).
  void ReadBandHeader(std::int32_t& modeOut, std::int32_t& widthBytesOut, std::int32_t& bandHeightOut);

  // The job: the first dataLength bytes of data.
  std::span<const std::uint8_t> Job() const;

  // Which bands GatherPureData will take, for the header ReadBandHeader read.
  PureDataPlan PlanPureData() const;

  // Gathers the dot rows of all bands, in place, at the front of `data`. A last
  // band cut off by the end of the job is completed with white rows. False when
  // that band may not be completed (PureDataPlan::lastBandCompletable) or the
  // room for its completion cannot be had.
  bool GatherPureData(const std::uint8_t*& pureData, std::int64_t& pureLength);

 private:
  void ReleaseFile();
  // The file's bytes are the job.
  CaptureKind TakeFileAsRawJob();
  // After the capture readers refused the file: a raw job if it reads as commands.
  CaptureKind TakeCommandStream();
  // Reads the file's `size` bytes into fileBytes, telling the progress hook;
  // false when the hook stopped it.
  bool ReadFileBytes(std::uint64_t size);
  // With listCaptureSides: the IN transfers and line numbers of the text just read.
  void ListCaptureSides(const capture::CaptureColumns& columns, std::size_t lineLimit);
  // The decoders' hook, told positions in the file's bytes.
  platform::ProgressHook DecodeProgressHook() const;
};

}  // namespace tesk::core

#pragma once
// What the window (or tesk-cli) hands a conversion run, and what it gets back.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/layout_check.h"
#include "printer/paper.h"
#include "printer/profile.h"

namespace tesk::core {

// Where the run looks for the raster bands.
enum class BandLayoutChoice {
  Fixed,     // the drivers' layout: first header at 7 or 10, bands 11 bytes apart, all alike
  Commands,  // every GS v 0 command found in the job, each with its own size
};

// How a capture text is read.
enum class CaptureReading {
  Default,  // the first OUT transfer, in the analyser's default layout with CR LF line ends
  Whole,    // any column layout and line end; every OUT transfer to the job's endpoint, repeats expanded
};

// How far a run has come; told after each stage that can take long.
struct RunProgress {
  int stagesDone = 0;
  int stageCount = 0;
  std::uint64_t bytesLoaded = 0;  // the loaded file's size, once it is loaded
  // While the file is being loaded (stagesDone 0): bytesLoaded counts what is
  // read so far of bytesToLoad, then bytesDecoded how far a capture's decoding is.
  std::uint64_t bytesToLoad = 0;
  std::uint64_t bytesDecoded = 0;
};

// Called on the run's own thread. Returning false stops the run before its
// next stage; the outputs it left so far are deleted.
using RunProgressHook = std::function<bool(const RunProgress&)>;

struct RunOptions {
  bool keepPlainBinary = true;
  bool keepPlainBinaryZip = true;
  bool keepPureData = false;
  bool keepBitmap = true;
  bool keepPng = true;
  bool bottomUp = false;
  BandLayoutChoice layout = BandLayoutChoice::Fixed;
  CaptureReading captureReading = CaptureReading::Default;
  RunProgressHook progress;  // none: the run goes through without telling
  // When set, the job's paper as this printer would print it is drawn too and
  // written beside the other outputs; the run itself is unchanged by it.
  std::optional<printer::Profile> paperProfile;
};

// What drawing the paper gave, beside the band run's figures.
struct PaperFigures {
  std::string profile;
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::int64_t pieceCount = 0;
  std::int64_t imagesDrawn = 0;
  std::uint64_t notDrawnCount = 0;
  std::vector<printer::DrawnItem> drawn;
  std::vector<printer::NotDrawnItem> notDrawn;
  std::vector<printer::PaperPiece> pieces;   // the dots, for the window's paper view
  std::vector<std::filesystem::path> files;  // one PNG a piece
  std::optional<std::string> message;        // the paper could not be drawn or written
};

// Whether a load takes any ESC/POS command stream as a raw job, beyond the
// files that begin with ESC @: only readings that find the commands wherever
// they stand can draw such a job, and the paper is one of them.
inline bool AcceptsAnyCommandStream(const RunOptions& options) {
  return options.layout == BandLayoutChoice::Commands || options.paperProfile.has_value();
}

// Each figure is reported by a run or not; a front end shows the reported ones
// and leaves the others as an earlier run left them.
struct RunFigures {
  std::optional<std::int64_t> dataLength;
  std::optional<std::uint64_t> zipFileSize;
  std::optional<std::int64_t> mode;
  std::optional<std::int64_t> widthBytes;
  std::optional<std::int64_t> bandHeight;
  std::optional<std::int64_t> bandCount;
  std::optional<std::int64_t> bitmapWidth;
  std::optional<std::int64_t> bitmapHeight;
  std::optional<std::int64_t> paddedWidth;
  std::optional<std::uint64_t> bmpFileSize;
  std::optional<std::uint64_t> pngFileSize;
  bool imageReady = false;

  // How the fixed band layout fits the loaded job (whichever layout the run
  // used); none when nothing was loaded.
  std::optional<LayoutVerdict> layoutVerdict;

  // Not figures of the window, but what batch use wants to know: the file that
  // was finally loaded (an archive's last entry) and the outputs left on disk.
  std::filesystem::path loadedPath;
  std::vector<std::filesystem::path> keptOutputs;
  std::optional<PaperFigures> paper;  // only when the run was asked for the paper
};

enum class RunMessageCode {
  LoadFailed,         // the input file cannot be opened
  InvalidData,        // nothing valid in the input
  PlainBinaryFailed,  // base.bin cannot be created
  OutOfMemory,        // no memory for the picture's pixel buffer
  WriteFailed,        // an output that was created could not be written
  NoRasterCommand,    // the command reading found no GS v 0 command in the job
  Cancelled,          // the progress hook asked the run to stop
};

struct RunMessage {
  RunMessageCode code;
  std::string text;  // UTF-8, as the user sees it
};

}  // namespace tesk::core

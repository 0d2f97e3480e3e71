#include "core/job_lint.h"

#include <algorithm>

#include "commands/command_scanner.h"
#include "core/job_picture.h"
#include "core/layout_check.h"
#include "core/paper_output.h"

namespace tesk::core {
namespace {

using commands::CommandCode;
using commands::CommandRecord;
using commands::CommandType;

unsigned ParameterAt(std::span<const std::uint8_t> job, const CommandRecord& command, std::uint64_t index) {
  const std::uint64_t at = commands::ParameterOffset(command) + index;
  return at < command.offset + command.length && at < job.size() ? job[at] : 0;
}

// How wide the text of the current line is, in dots, under the print modes
// the job has chosen. Printers wrap or drop what passes the edge; either way
// the receipt no longer looks as the host laid it out.
class TextLine {
 public:
  explicit TextLine(const printer::Profile& profile) : profile_(profile) { Reset(); }

  void Reset() {
    font_ = 0;
    widthScale_ = 1;
    EndLine();
  }
  void EndLine() {
    width_ = 0;
    reported_ = false;
  }
  void SelectFont(unsigned font) { font_ = font & 1; }
  void SelectScale(unsigned size) { widthScale_ = static_cast<int>((size >> 4) & 7) + 1; }
  void SelectModes(unsigned modes) {
    font_ = modes & 1;
    widthScale_ = (modes & 0x20) != 0 ? 2 : 1;
  }
  // True the first time the line passes the printable width.
  bool Add(std::uint64_t characters) {
    width_ += static_cast<std::int64_t>(characters) * CellWidth() * widthScale_;
    if (reported_ || width_ <= profile_.printableWidth) return false;
    reported_ = true;
    return true;
  }
  std::int64_t Width() const { return width_; }

 private:
  int CellWidth() const {
    if (profile_.fonts.empty()) return 12;
    return profile_.fonts[std::min<std::size_t>(font_, profile_.fonts.size() - 1)].width;
  }
  const printer::Profile& profile_;
  unsigned font_ = 0;
  int widthScale_ = 1;
  std::int64_t width_ = 0;
  bool reported_ = false;
};

class JobLinter {
 public:
  JobLinter(std::span<const std::uint8_t> job, const printer::Profile& profile)
      : job_(job), profile_(profile), line_(profile) {}

  std::vector<LintFinding> Run() {
    if (job_.size() < 2 || job_[0] != 0x1B || job_[1] != 0x40)
      Add(LintCode::NoInitialise, 0,
          "the job does not start with ESC @: the printer keeps the settings of the job before");
    commands::ScanCommands(job_, [this](const CommandRecord& command) { Visit(command); });
    FlushUnknown();
    CheckPaper();
    CheckFixedLayout();
    std::stable_sort(findings_.begin(), findings_.end(),
                     [](const LintFinding& a, const LintFinding& b) { return a.offset < b.offset; });
    return std::move(findings_);
  }

 private:
  void Add(LintCode code, std::uint64_t offset, std::string explanation) {
    findings_.push_back({code, offset, std::move(explanation)});
    raised_[static_cast<std::size_t>(code)] = true;
  }

  void Visit(const CommandRecord& command) {
    if (command.type == CommandType::Unknown) {
      if (unknownBytes_ == 0) unknownStart_ = command.offset;
      unknownBytes_ += command.length;
      previous_ = command;
      return;
    }
    FlushUnknown();
    if (command.cutOff)
      Add(LintCode::CutOffCommand, command.offset,
          CommandName(command) + " needs " + std::to_string(command.needed) + " bytes, the job ends after " +
              std::to_string(command.length));
    switch (command.code) {
      case CommandCode::RasterImage: CheckRaster(command); break;
      case CommandCode::BitImage: CheckColumnImage(command); break;
      case CommandCode::LineFeed: CheckFeedAfterRaster(command); [[fallthrough]];
      case CommandCode::FeedLines:
      case CommandCode::FeedDots: line_.EndLine(); break;
      case CommandCode::Initialise: line_.Reset(); break;
      case CommandCode::SelectFont: line_.SelectFont(ParameterAt(job_, command, 0)); break;
      case CommandCode::CharacterSize: line_.SelectScale(ParameterAt(job_, command, 0)); break;
      case CommandCode::PrintModes: line_.SelectModes(ParameterAt(job_, command, 0)); break;
      default: break;
    }
    if (command.type == CommandType::Text && line_.Add(command.length))
      Add(LintCode::WiderThanPaper, command.offset,
          "text line of " + std::to_string(line_.Width()) + " dots on " +
              std::to_string(profile_.printableWidth) + " printable dots: wrapped or cut by the printer");
    previous_ = command;
  }

  void CheckRaster(const CommandRecord& command) {
    line_.EndLine();
    if (profile_.quirks.rasterHeightLowByteOnly && command.height > 255)
      Add(LintCode::RasterHeightHighByte, command.offset,
          "GS v 0 of " + std::to_string(command.height) + " rows: " + profile_.name +
              " reads only yL and prints " + std::to_string(command.height % 256) + " rows");
    if (profile_.quirks.maxRasterHeight > 0 && command.height > profile_.quirks.maxRasterHeight)
      Add(LintCode::RasterTooTall, command.offset,
          "GS v 0 of " + std::to_string(command.height) + " rows: " + profile_.name + " prints at most " +
              std::to_string(profile_.quirks.maxRasterHeight));
    if (firstBandWidth_ < 0)
      firstBandWidth_ = command.widthBytes;
    else if (command.widthBytes != static_cast<std::uint32_t>(firstBandWidth_))
      Add(LintCode::BandWidthDiffers, command.offset,
          "GS v 0 band " + std::to_string(command.widthBytes) + " bytes wide after a first band of " +
              std::to_string(firstBandWidth_));
  }

  void CheckColumnImage(const CommandRecord& command) {
    const unsigned mode = ParameterAt(job_, command, 0);
    if (mode == 0 || mode == 1)
      Add(LintCode::ColumnImagePitch, command.offset,
          "8-dot ESC * mode " + std::to_string(mode) + ": each bit is " +
              std::to_string(profile_.columnImageVerticalPitch) +
              " dots high here; its height differs between printers");
  }

  void CheckFeedAfterRaster(const CommandRecord& command) {
    if (previous_.code != CommandCode::RasterImage || previous_.offset + previous_.length != command.offset)
      return;
    Add(LintCode::FeedAfterRaster, command.offset,
        profile_.quirks.lineFeedAfterRasterSwallowed
            ? "LF right after GS v 0: " + profile_.name + " swallows it, other printers feed a line"
            : "LF right after GS v 0: " + profile_.name + " feeds a line, some printers swallow it");
  }

  void FlushUnknown() {
    if (unknownBytes_ == 0) return;
    Add(LintCode::UnknownBytes, unknownStart_,
        std::to_string(unknownBytes_) + " byte(s) no command knows: printers skip, print or misread them");
    unknownBytes_ = 0;
  }

  // The printer model knows where each image lands; an image it clipped is wider than the paper.
  void CheckPaper() {
    printer::Paper paper;
    DrawPaper(job_, profile_, paper);
    for (const printer::NotDrawnItem& item : paper.notDrawn)
      if (item.reason == printer::NotDrawnReason::Clipped)
        Add(LintCode::WiderThanPaper, item.offset,
            item.command + " reaches past the " + std::to_string(profile_.printableWidth) +
                " printable dots: clipped");
  }

  // A job without any GS v 0 has no band layout to get wrong; and a
  // disagreement already reported by its cause is not reported twice.
  void CheckFixedLayout() {
    const LayoutVerdict verdict = JudgeFixedLayout(job_);
    if (verdict.fits || verdict.commandBands == 0) return;
    if (verdict.mismatch == LayoutMismatch::CutOff &&
        raised_[static_cast<std::size_t>(LintCode::CutOffCommand)])
      return;
    if (verdict.mismatch == LayoutMismatch::OtherSize &&
        verdict.firstMismatch.widthBytes != static_cast<std::uint32_t>(verdict.widthBytes) &&
        raised_[static_cast<std::size_t>(LintCode::BandWidthDiffers)])
      return;
    const std::int64_t at = verdict.firstMismatch.band > 0 ? verdict.firstMismatch.expectedHeader : 0;
    Add(LintCode::FixedLayoutMismatch, static_cast<std::uint64_t>(std::max<std::int64_t>(at, 0)),
        "the default reading draws a wrong picture: " + verdict.reason);
  }

  std::span<const std::uint8_t> job_;
  const printer::Profile& profile_;
  TextLine line_;
  CommandRecord previous_;
  std::int64_t firstBandWidth_ = -1;
  std::uint64_t unknownStart_ = 0;
  std::uint64_t unknownBytes_ = 0;
  bool raised_[kLintCodeCount] = {};
  std::vector<LintFinding> findings_;
};

}  // namespace

std::vector<LintFinding> LintJob(std::span<const std::uint8_t> job, const printer::Profile& profile) {
  return JobLinter(job, profile).Run();
}

std::optional<std::vector<LintFinding>> LintFile(const std::filesystem::path& input,
                                                 const RunOptions& options, const printer::Profile& profile) {
  // A job that does not begin with ESC @ is a finding, not a file to refuse.
  RunOptions loading = options;
  loading.paperProfile = profile;
  const JobInMemory loaded = LoadJobInMemory(input, loading, false);
  if (loaded.kind == CaptureKind::OpenFailed || loaded.kind == CaptureKind::Invalid) return std::nullopt;
  return LintJob(loaded.job, profile);
}

const char* LintCodeName(LintCode code) {
  switch (code) {
    case LintCode::RasterHeightHighByte: return "raster-height-high-byte";
    case LintCode::RasterTooTall: return "raster-too-tall";
    case LintCode::WiderThanPaper: return "wider-than-paper";
    case LintCode::FeedAfterRaster: return "feed-after-raster";
    case LintCode::ColumnImagePitch: return "column-image-pitch";
    case LintCode::CutOffCommand: return "cut-off-command";
    case LintCode::UnknownBytes: return "unknown-bytes";
    case LintCode::NoInitialise: return "no-initialise";
    case LintCode::BandWidthDiffers: return "band-width-differs";
    case LintCode::FixedLayoutMismatch: return "fixed-layout-mismatch";
  }
  return "unknown";
}

}  // namespace tesk::core

#include "core/job_listing.h"

#include <algorithm>

#include "commands/command_scanner.h"
#include "core/band_layout.h"
#include "core/command_layout.h"
#include "core/raster_source.h"
#include "core/status_answers.h"

namespace tesk::core {

std::vector<CommandLine> ListCommands(std::span<const std::uint8_t> job) {
  std::vector<CommandLine> lines;
  commands::ScanCommands(job, [&](const commands::CommandRecord& command) {
    CommandLine line;
    line.offset = command.offset;
    line.length = command.length;
    line.bytes = commands::CommandBytes(command, job);
    line.name = commands::CommandName(command);
    line.detail = commands::DescribeCommand(command, job);
    line.cutOff = command.cutOff;
    lines.push_back(std::move(line));
  });
  return lines;
}

std::vector<PictureBand> MapPictureBands(std::span<const std::uint8_t> job, BandLayoutChoice layout) {
  std::vector<PictureBand> bands;
  if (layout == BandLayoutChoice::Commands) {
    std::int64_t row = 0;
    for (const CommandBand& band : PlanCommandLayout(job).bands) {
      bands.push_back({row, band.height, band.widthBytes, band.dataOffset, -1});
      row += band.height;
    }
    return bands;
  }
  const FixedBandLayout fixed = PlanFixedLayout(job);
  for (std::int64_t band = 0; band < fixed.bandCount; ++band)
    bands.push_back({band * fixed.bandHeight, fixed.bandHeight, fixed.widthBytes,
                     static_cast<std::uint64_t>(fixed.DataOffset(band)), -1});
  return bands;
}

namespace {

// The command whose bytes hold `offset`, or -1.
std::int64_t CommandHolding(const std::vector<CommandLine>& commands, std::uint64_t offset) {
  const auto after =
      std::upper_bound(commands.begin(), commands.end(), offset,
                       [](std::uint64_t value, const CommandLine& line) { return value < line.offset; });
  if (after == commands.begin()) return -1;
  const auto holder = std::prev(after);
  if (offset >= holder->offset + std::max<std::uint64_t>(holder->length, 1)) return -1;
  return holder - commands.begin();
}

}  // namespace

std::string AnswerBytesText(const JobAnswer& answer) {
  // Shown as a command's bytes are: the bytes held, then "..." for the rest.
  commands::CommandRecord bytes;
  bytes.length = answer.length;
  return commands::CommandBytes(bytes, answer.statusBytes, answer.statusBytes.size());
}

std::vector<JobAnswer> ListAnswers(const RasterSource& source, const std::vector<CommandLine>& commands) {
  std::vector<JobAnswer> answers;
  for (const usbcap::UsbInTransfer& in : source.usbInTransfers) {
    JobAnswer& answer = answers.emplace_back();
    answer.jobOffset = in.jobOffset;
    answer.length = in.length;
    answer.statusBytes = in.bytes;
    answer.packet = in.frame;
    answer.seconds = in.seconds;
  }
  for (const capture::CaptureInTransfer& in : source.captureSides.inTransfers) {
    JobAnswer& answer = answers.emplace_back();
    answer.jobOffset = in.jobOffset;
    answer.length = in.length;
    answer.statusBytes = in.bytes;
    answer.captureLine = in.line;
  }
  DescribeAnswers(FindStatusQueries(source.Job(), commands), answers);
  return answers;
}

JobListing ListJob(const std::filesystem::path& path, CaptureReading reading, BandLayoutChoice layout) {
  JobListing listing;
  RasterSource source;
  source.listUsbTransfers = true;
  source.listCaptureSides = true;
  source.captureReading = reading;
  std::filesystem::path loaded = path;
  const CaptureKind kind = source.Load(loaded);
  if (kind == CaptureKind::OpenFailed || kind == CaptureKind::Invalid) return listing;
  const std::span<const std::uint8_t> job = source.Job();
  listing.valid = true;
  listing.jobLength = job.size();
  listing.commands = ListCommands(job);
  listing.bands = MapPictureBands(job, layout);
  for (PictureBand& band : listing.bands) {
    band.command = CommandHolding(listing.commands, band.dataOffset);
    if (band.command < 0) continue;
    CommandLine& line = listing.commands[static_cast<std::size_t>(band.command)];
    if (line.rowCount == 0) line.firstRow = band.firstRow;
    line.rowCount = band.firstRow + band.height - line.firstRow;
  }
  listing.answers = ListAnswers(source, listing.commands);
  listing.captureLines = std::move(source.captureSides.lines);
  for (const usbcap::UsbTransfer& transfer : source.usbTransfers)
    listing.transfers.push_back({transfer.jobOffset, transfer.length, transfer.frame, transfer.seconds});
  return listing;
}

std::optional<RowOrigin> LocateRow(const JobListing& listing, std::int64_t row) {
  const auto after =
      std::upper_bound(listing.bands.begin(), listing.bands.end(), row,
                       [](std::int64_t value, const PictureBand& band) { return value < band.firstRow; });
  if (row < 0 || after == listing.bands.begin()) return std::nullopt;
  const PictureBand& band = *std::prev(after);
  if (row >= band.firstRow + band.height) return std::nullopt;
  RowOrigin origin;
  origin.band = static_cast<std::size_t>(std::prev(after) - listing.bands.begin());
  origin.rowInBand = row - band.firstRow;
  origin.offset = band.dataOffset + static_cast<std::uint64_t>(origin.rowInBand * band.widthBytes);
  origin.command = band.command;
  if (const auto line = capture::CaptureLineHolding(listing.captureLines, origin.offset))
    origin.captureLine = static_cast<std::int64_t>(*line);
  const auto carrier = std::upper_bound(listing.transfers.begin(), listing.transfers.end(), origin.offset,
                                        [](std::uint64_t value, const JobTransfer& transfer) {
                                          return value < transfer.jobOffset;
                                        });
  if (carrier != listing.transfers.begin()) {
    const JobTransfer& transfer = *std::prev(carrier);
    if (origin.offset < transfer.jobOffset + transfer.length)
      origin.transfer = std::prev(carrier) - listing.transfers.begin();
  }
  return origin;
}

}  // namespace tesk::core

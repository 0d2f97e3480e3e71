#pragma once
// A job laid out for an engineer: its commands, which picture rows each raster
// band drew, and which capture transfer carried which bytes. tesk-cli --inspect
// prints the commands; the window lists them beside the picture and reads a
// dot back to its bytes.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "capture/capture_side_lists.h"
#include "core/run_types.h"

namespace tesk::core {

class RasterSource;

struct CommandLine {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  std::string bytes;   // the first bytes, as hex
  std::string name;    // "GS v 0", "ESC @", "text"
  std::string detail;  // the decoded parameters
  bool cutOff = false;
  // The picture rows it drew: first row and count; count 0 for every command
  // that drew none.
  std::int64_t firstRow = 0;
  std::int64_t rowCount = 0;
};

// A band of the picture as the run gathered it.
struct PictureBand {
  std::int64_t firstRow = 0;
  std::int64_t height = 0;
  std::int64_t widthBytes = 0;
  std::uint64_t dataOffset = 0;  // of its first dot row, in the job
  std::int64_t command = -1;     // index of the command whose bytes hold it, or -1
};

// A capture's transfer that carried part of the job.
struct JobTransfer {
  std::uint64_t jobOffset = 0;
  std::uint64_t length = 0;
  std::uint64_t packet = 0;  // USB packet number, counting from 1
  double seconds = 0;        // since the capture's first packet
};

// What the printer sent back while the job was sent: an IN transfer of a
// capture, placed after the job bytes sent before it.
struct JobAnswer {
  std::uint64_t jobOffset = 0;
  std::uint64_t length = 0;               // bytes the device sent
  std::vector<std::uint8_t> statusBytes;  // the first of them
  std::uint64_t packet = 0;               // USB packet number, counting from 1; 0 for a capture text
  double seconds = 0;                     // since the capture's first packet
  std::uint64_t captureLine = 0;          // line of a capture text, from 1; 0 for a USB capture
  std::string meaning;  // the status the query before it asked for, decoded; empty when unknown
};

// The status bytes as hex: "12 0c".
std::string AnswerBytesText(const JobAnswer& answer);

struct JobListing {
  bool valid = false;
  std::uint64_t jobLength = 0;
  std::vector<CommandLine> commands;
  std::vector<PictureBand> bands;
  std::vector<JobTransfer> transfers;
  std::vector<JobAnswer> answers;  // in job order
  // For a capture text: the line that carried each run of job bytes.
  std::vector<capture::CaptureLineSpan> captureLines;
};

// Every command of the job, in order.
std::vector<CommandLine> ListCommands(std::span<const std::uint8_t> job);

// The bands the run gathers from `job` with the given layout, top to bottom.
std::vector<PictureBand> MapPictureBands(std::span<const std::uint8_t> job, BandLayoutChoice layout);

// What the device of a capture sent back, from a loader record that listed
// it, with the status answers read against the queries among `commands`.
std::vector<JobAnswer> ListAnswers(const RasterSource& source, const std::vector<CommandLine>& commands);

// Loads `path` on a loader record of its own (nothing is written) and lists
// its job, with the bands tied to their commands. Invalid when no job was found.
JobListing ListJob(const std::filesystem::path& path, CaptureReading reading, BandLayoutChoice layout);

// Where picture row `row` comes from.
struct RowOrigin {
  std::size_t band = 0;
  std::int64_t rowInBand = 0;
  std::uint64_t offset = 0;  // of the row's first byte in the job
  std::int64_t command = -1;
  std::int64_t transfer = -1;     // index into transfers, or -1
  std::int64_t captureLine = -1;  // line of the capture text that carried the byte, from 1, or -1
};
std::optional<RowOrigin> LocateRow(const JobListing& listing, std::int64_t row);

}  // namespace tesk::core

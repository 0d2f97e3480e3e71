#include "live/status_answers.h"

#include <algorithm>

namespace tesk::live {
namespace {

constexpr std::uint8_t kDle = 0x10;
constexpr std::uint8_t kGs = 0x1D;
constexpr std::uint8_t kEot = 0x04;
constexpr std::uint8_t kEnq = 0x05;
constexpr std::uint8_t kDc4 = 0x14;

// The two bytes each query starts with, and for GS ( the function letter.
struct QueryStart {
  std::uint8_t first;
  std::uint8_t second;
  int third = -1;  // -1: any
};
constexpr QueryStart kQueryStarts[] = {
    {kDle, kEot}, {kDle, kEnq}, {kDle, kDc4}, {kGs, 'r'}, {kGs, 'I'}, {kGs, 'a'}, {kGs, '(', 'H'},
};
// GS ( H pL pH fn m d1..d4, the process ID to send back when reached.
constexpr std::size_t kProcessIdCommandLength = 11;

// Whether `start`, a command's first bytes, is or may still become `query`.
bool Matches(const QueryStart& query, std::span<const std::uint8_t> start) {
  const bool prefix = (start.size() < 1 || start[0] == query.first) &&
                      (start.size() < 2 || start[1] == query.second) &&
                      (start.size() < 3 || query.third < 0 || start[2] == query.third);
  // GS ( H is a query only in its process-ID form: six parameter bytes.
  if (!prefix || query.second != '(') return prefix;
  return (start.size() < 4 || start[3] == 6) && (start.size() < 5 || start[4] == 0) &&
         start.size() <= kProcessIdCommandLength;
}

bool StartsWith(const commands::CommandRecord& command, std::span<const std::uint8_t> bytes,
                std::uint8_t first, std::uint8_t second) {
  return command.type == commands::CommandType::Known && !command.cutOff && command.length >= 3 &&
         bytes[command.offset] == first && bytes[command.offset + 1] == second;
}

void AppendText(const std::string& text, std::vector<std::uint8_t>& answer) {
  // Printer information blocks are framed by 0x5F and NUL.
  answer.push_back(0x5F);
  answer.insert(answer.end(), text.begin(), text.end());
  answer.push_back(0x00);
}

void AppendRealTimeStatus(std::span<const std::uint8_t> command, const PrinterStatusAnswers& answers,
                          std::vector<std::uint8_t>& answer) {
  switch (command[2]) {
    case 1: answer.push_back(answers.printerStatus); break;
    case 2: answer.push_back(answers.offlineCause); break;
    case 3: answer.push_back(answers.errorCause); break;
    case 4: answer.push_back(answers.paperRollSensor); break;
    case 7:
      // DLE EOT 7 a: ink of the first (a = 1) or second (a = 2) colour.
      if (command.size() == 4 && command[3] == 1) answer.push_back(answers.inkStatusA);
      if (command.size() == 4 && command[3] == 2) answer.push_back(answers.inkStatusB);
      break;
  }
}

void AppendIdentity(std::uint8_t which, const PrinterStatusAnswers& answers,
                    std::vector<std::uint8_t>& answer) {
  switch (which) {
    case 1:
    case 49: answer.push_back(answers.modelId); break;
    case 2:
    case 50: answer.push_back(answers.typeId); break;
    case 3:
    case 51: answer.push_back(answers.versionId); break;
    case 65: AppendText(answers.firmwareVersion, answer); break;
    case 66: AppendText(answers.makerName, answer); break;
    case 67: AppendText(answers.modelName, answer); break;
    case 68: AppendText(answers.serialNumber, answer); break;
    case 69: AppendText(answers.fontLanguage, answer); break;
  }
}

// GS ( H 6 0 48 48 d1..d4 asks to be sent d1..d4 back once the data before it
// is processed; for us that is at once.
void AppendProcessId(std::span<const std::uint8_t> command, std::vector<std::uint8_t>& answer) {
  if (command.size() != kProcessIdCommandLength || command[3] != 6 || command[4] != 0 || command[5] != '0' ||
      command[6] != '0')
    return;
  const auto id = command.subspan(7, 4);
  if (!std::all_of(id.begin(), id.end(), [](std::uint8_t byte) { return byte >= 32 && byte <= 126; })) return;
  answer.push_back(0x37);
  answer.push_back(0x22);
  answer.insert(answer.end(), id.begin(), id.end());
  answer.push_back(0x00);
}

}  // namespace

bool IsStatusQuery(const commands::CommandRecord& command, std::span<const std::uint8_t> bytes) {
  if (command.type != commands::CommandType::Known || command.cutOff || command.length < 3) return false;
  const auto start = bytes.subspan(static_cast<std::size_t>(command.offset),
                                   static_cast<std::size_t>(
                                       std::min<std::uint64_t>(command.length, kProcessIdCommandLength + 1)));
  return std::any_of(std::begin(kQueryStarts), std::end(kQueryStarts),
                     [&](const QueryStart& query) { return Matches(query, start); });
}

bool MayStartStatusQuery(std::span<const std::uint8_t> start) {
  // The queries cut off this early are still to be told apart by their first
  // bytes; longer ones have shown what they are.
  if (start.empty() || start.size() >= kProcessIdCommandLength) return false;
  return std::any_of(std::begin(kQueryStarts), std::end(kQueryStarts),
                     [&](const QueryStart& query) { return Matches(query, start); });
}

void AppendStatusAnswer(const commands::CommandRecord& command, std::span<const std::uint8_t> bytes,
                        const PrinterStatusAnswers& answers, std::vector<std::uint8_t>& answer) {
  if (command.length < 3) return;
  const auto whole =
      bytes.subspan(static_cast<std::size_t>(command.offset), static_cast<std::size_t>(command.length));
  const std::uint8_t which = whole[2];
  if (StartsWith(command, bytes, kDle, kEot)) {
    AppendRealTimeStatus(whole, answers, answer);
  } else if (StartsWith(command, bytes, kGs, 'r')) {
    switch (which) {
      case 1:
      case 49: answer.push_back(answers.paperSensor); break;
      case 2:
      case 50: answer.push_back(answers.drawerSensor); break;
      case 4:
      case 52: answer.push_back(answers.inkSensor); break;
    }
  } else if (StartsWith(command, bytes, kGs, 'I')) {
    AppendIdentity(which, answers, answer);
  } else if (StartsWith(command, bytes, kGs, 'a')) {
    // Automatic status back: sent at once when enabled, and again whenever
    // the status changes, which ours never does. GS a 0 turns it off.
    if (which != 0)
      answer.insert(answer.end(), answers.automaticStatus.begin(), answers.automaticStatus.end());
  } else if (StartsWith(command, bytes, kGs, '(') && which == 'H') {
    AppendProcessId(whole, answer);
  }
}

}  // namespace tesk::live

#include "live/status_answers.h"

namespace tesk::live {
namespace {

constexpr std::uint8_t kDle = 0x10;
constexpr std::uint8_t kGs = 0x1D;

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

}  // namespace

bool IsStatusQuery(const commands::CommandRecord& command, std::span<const std::uint8_t> bytes) {
  return StartsWith(command, bytes, kDle, 0x04) || StartsWith(command, bytes, kDle, 0x05) ||
         StartsWith(command, bytes, kGs, 'r') || StartsWith(command, bytes, kGs, 'I');
}

bool MayStartStatusQuery(std::span<const std::uint8_t> start) {
  // Every query is three bytes long.
  if (start.empty() || start.size() >= 3 || (start[0] != kDle && start[0] != kGs)) return false;
  if (start.size() == 1) return true;
  return start[0] == kDle ? start[1] == 0x04 || start[1] == 0x05 : start[1] == 'r' || start[1] == 'I';
}

void AppendStatusAnswer(const commands::CommandRecord& command, std::span<const std::uint8_t> bytes,
                        const PrinterStatusAnswers& answers, std::vector<std::uint8_t>& answer) {
  if (command.length < 3) return;
  const std::uint8_t which = bytes[command.offset + 2];
  if (StartsWith(command, bytes, kDle, 0x04)) {
    switch (which) {
      case 1: answer.push_back(answers.printerStatus); break;
      case 2: answer.push_back(answers.offlineCause); break;
      case 3: answer.push_back(answers.errorCause); break;
      case 4: answer.push_back(answers.paperRollSensor); break;
    }
  } else if (StartsWith(command, bytes, kGs, 'r')) {
    switch (which) {
      case 1: case 49: answer.push_back(answers.paperSensor); break;
      case 2: case 50: answer.push_back(answers.drawerSensor); break;
      case 4: case 52: answer.push_back(answers.inkSensor); break;
    }
  } else if (StartsWith(command, bytes, kGs, 'I')) {
    switch (which) {
      case 1: case 49: answer.push_back(answers.modelId); break;
      case 2: case 50: answer.push_back(answers.typeId); break;
      case 3: case 51: answer.push_back(answers.versionId); break;
      case 65: AppendText(answers.firmwareVersion, answer); break;
      case 66: AppendText(answers.makerName, answer); break;
      case 67: AppendText(answers.modelName, answer); break;
      case 68: AppendText(answers.serialNumber, answer); break;
      case 69: AppendText(answers.fontLanguage, answer); break;
    }
  }
}

}  // namespace tesk::live

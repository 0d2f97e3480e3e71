#pragma once
// Which commands ask the virtual printer about itself, and what it answers:
// the bytes its printer profile gives.

#include <cstdint>
#include <span>
#include <vector>

#include "commands/command_scanner.h"
#include "printer/profile.h"

namespace tesk::live {

using PrinterStatusAnswers = printer::StatusAnswers;

// The answers of the printer a profile describes ("status" and "identity").
inline PrinterStatusAnswers AnswersFromProfile(const printer::Profile& profile) { return profile.answers; }

// True for the commands that ask the printer something or act on it at once
// and print nothing: DLE EOT, DLE ENQ, DLE DC4, GS r, GS I, GS a and the
// process-ID form of GS ( H.
bool IsStatusQuery(const commands::CommandRecord& command, std::span<const std::uint8_t> bytes);

// True when `start`, the beginning of a command cut off so far, may still
// turn out to be one of those queries.
bool MayStartStatusQuery(std::span<const std::uint8_t> start);

// The bytes a printer sends back for `command` (appended to `answer`); nothing
// for commands that are no query or ask what the record does not hold.
void AppendStatusAnswer(const commands::CommandRecord& command, std::span<const std::uint8_t> bytes,
                        const PrinterStatusAnswers& answers, std::vector<std::uint8_t>& answer);

}  // namespace tesk::live

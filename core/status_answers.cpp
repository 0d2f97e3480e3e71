#include "core/status_answers.h"

#include <deque>

namespace tesk::core {
namespace {

constexpr std::uint8_t kDle = 0x10;
constexpr std::uint8_t kGs = 0x1D;

struct Flag {
  std::uint8_t mask;
  const char* text;
};

// The flags whose bits are set, joined; `none` when no flag is.
std::string Flags(std::uint8_t status, std::initializer_list<Flag> flags, const char* none) {
  std::string text;
  for (const Flag& flag : flags)
    if ((status & flag.mask) != 0) text += (text.empty() ? "" : ", ") + std::string(flag.text);
  return text.empty() ? none : text;
}

// A real-time status byte has bit 0 and 7 clear and bits 1 and 4 set; a byte
// that does not is no answer to the query (an automatic status, say).
bool HasRealTimeFrame(std::uint8_t status) { return (status & 0x93) == 0x12; }

std::string RealTimeMeaning(std::uint8_t n, std::uint8_t status) {
  switch (n) {
    case 1: {
      const std::string more = Flags(status,
                                     {{0x04, "drawer pin 3 high"},
                                      {0x20, "waiting for online recovery"},
                                      {0x40, "feed button pressed"}},
                                     "");
      return std::string((status & 0x08) ? "offline" : "online") + (more.empty() ? "" : ", " + more);
    }
    case 2:
      return Flags(status,
                   {{0x04, "cover open"},
                    {0x08, "paper fed by the button"},
                    {0x20, "stopped at paper end"},
                    {0x40, "error"}},
                   "no offline cause");
    case 3:
      return Flags(status,
                   {{0x04, "mechanical error"},
                    {0x08, "autocutter error"},
                    {0x20, "unrecoverable error"},
                    {0x40, "auto-recoverable error"}},
                   "no error");
    case 4: return Flags(status, {{0x0C, "paper near end"}, {0x60, "paper end"}}, "paper present");
    default: return "";
  }
}

std::string TransmitMeaning(std::uint8_t n, std::uint8_t status) {
  switch (n) {
    case 1:
    case '1': return Flags(status, {{0x03, "paper near end"}, {0x0C, "paper end"}}, "paper present");
    case 2:
    case '2': return (status & 0x01) ? "drawer pin 3 high" : "drawer pin 3 low";
    default: return "";
  }
}

}  // namespace

std::vector<StatusQuery> FindStatusQueries(std::span<const std::uint8_t> job,
                                           const std::vector<CommandLine>& commands) {
  std::vector<StatusQuery> queries;
  for (const CommandLine& line : commands) {
    if (line.cutOff || line.length < 3 || line.offset + 2 >= job.size()) continue;
    const std::uint8_t command = job[line.offset];
    const std::uint8_t second = job[line.offset + 1];
    if (!((command == kDle && second == 0x04) || (command == kGs && second == 'r'))) continue;
    StatusQuery query;
    query.end = line.offset + line.length;
    query.command = command;
    query.n = job[line.offset + 2];
    query.name = line.name + " " + std::to_string(query.n);
    queries.push_back(std::move(query));
  }
  return queries;
}

std::string DescribeStatusByte(const StatusQuery& query, std::uint8_t status) {
  std::string meaning;
  if (query.command == kDle) {
    meaning = RealTimeMeaning(query.n, status);
    if (!meaning.empty() && !HasRealTimeFrame(status)) meaning += " (fixed bits differ)";
  } else {
    meaning = TransmitMeaning(query.n, status);
  }
  return meaning.empty() ? "" : query.name + ": " + meaning;
}

void DescribeAnswers(const std::vector<StatusQuery>& queries, std::vector<JobAnswer>& answers) {
  std::deque<const StatusQuery*> waiting;
  std::size_t next = 0;
  for (JobAnswer& answer : answers) {
    for (; next < queries.size() && queries[next].end <= answer.jobOffset; ++next)
      waiting.push_back(&queries[next]);
    std::string meaning;
    for (const std::uint8_t status : answer.statusBytes) {
      if (waiting.empty()) break;
      const std::string one = DescribeStatusByte(*waiting.front(), status);
      waiting.pop_front();
      if (!one.empty()) meaning += (meaning.empty() ? "" : "; ") + one;
    }
    answer.meaning = std::move(meaning);
  }
}

}  // namespace tesk::core

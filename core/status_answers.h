#pragma once
// What a printer's status byte says, read against the query that asked for it:
// DLE EOT n (real-time status) and GS r n (transmit status) each ask for one
// byte, whose bits mean what n chose.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/job_listing.h"

namespace tesk::core {

// A status query of the job, where its bytes end.
struct StatusQuery {
  std::uint64_t end = 0;
  std::string name;          // "DLE EOT 1", "GS r 1"
  std::uint8_t command = 0;  // 0x10 for DLE EOT, 0x1D for GS r
  std::uint8_t n = 0;
};

// The status queries among the job's commands, in job order.
std::vector<StatusQuery> FindStatusQueries(std::span<const std::uint8_t> job,
                                           const std::vector<CommandLine>& commands);

// "DLE EOT 1: online", "GS r 1: paper near end"; empty when n names no status we read.
std::string DescribeStatusByte(const StatusQuery& query, std::uint8_t status);

// Fills each answer's meaning: its bytes answer, one each, the queries sent
// before it that no earlier byte answered, oldest first.
void DescribeAnswers(const std::vector<StatusQuery>& queries, std::vector<JobAnswer>& answers);

}  // namespace tesk::core

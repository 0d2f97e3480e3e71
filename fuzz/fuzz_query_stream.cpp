// The status-query follower of the print server on arbitrary bytes: whatever
// pieces a job arrives in, the answers, the start of its print data and
// whether it ends inside a command are those of the job taken whole.

#include <algorithm>
#include <cstdlib>
#include <span>
#include <vector>

#include "live/query_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tesk;
  if (size == 0) return 0;
  // The first byte chooses the size of the pieces; the rest is the job.
  const std::size_t piece = std::size_t{data[0]} + 1;
  const std::span<const std::uint8_t> job(data + 1, size - 1);
  const live::PrinterStatusAnswers answers;

  live::QueryStream whole(answers);
  std::vector<std::uint8_t> wholeAnswers;
  whole.Take(job, wholeAnswers);

  live::QueryStream pieces(answers);
  std::vector<std::uint8_t> pieceAnswers;
  for (std::size_t at = 0; at < job.size(); at += piece)
    pieces.Take(job.subspan(at, std::min(piece, job.size() - at)), pieceAnswers);

  if (pieceAnswers != wholeAnswers || pieces.FirstPrintData() != whole.FirstPrintData() ||
      pieces.InsideCommand() != whole.InsideCommand() || pieces.QueriesAnswered() != whole.QueriesAnswered())
    std::abort();
  if (whole.FirstPrintData() > static_cast<std::int64_t>(job.size())) std::abort();
  return 0;
}

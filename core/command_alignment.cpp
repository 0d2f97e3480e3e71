#include "core/command_alignment.h"

#include <algorithm>
#include <string_view>

namespace tesk::core {
namespace {

// FNV-1a over the command's name, parameters and bytes.
std::uint64_t CommandKey(const CommandLine& command, std::span<const std::uint8_t> job) {
  std::uint64_t hash = 14695981039346656037ULL;
  const auto mix = [&hash](std::uint8_t byte) {
    hash ^= byte;
    hash *= 1099511628211ULL;
  };
  for (char c : command.name) mix(static_cast<std::uint8_t>(c));
  mix(0);
  for (char c : command.detail) mix(static_cast<std::uint8_t>(c));
  mix(0);
  const std::uint64_t end = std::min<std::uint64_t>(command.offset + command.length, job.size());
  for (std::uint64_t at = command.offset; at < end; ++at) mix(job[at]);
  return hash;
}

enum class Step : std::uint8_t { Keep, Remove, Insert };

// Myers' greedy shortest edit script over keys[aBegin, aEnd) and [bBegin, bEnd),
// with every round's frontier kept for the walk back. False when more than
// `most` differences would be needed.
bool ShortestEditScript(const std::vector<std::uint64_t>& a, const std::vector<std::uint64_t>& b,
                        std::int64_t most, std::vector<Step>& steps) {
  const auto n = static_cast<std::int64_t>(a.size());
  const auto m = static_cast<std::int64_t>(b.size());
  const std::int64_t limit = std::min(n + m, most);
  const std::int64_t offset = limit + 1;
  std::vector<std::int64_t> frontier(static_cast<std::size_t>(2 * limit + 3), 0);
  std::vector<std::vector<std::int64_t>> rounds;
  for (std::int64_t d = 0; d <= limit; ++d) {
    for (std::int64_t k = -d; k <= d; k += 2) {
      const auto at = static_cast<std::size_t>(k + offset);
      std::int64_t x = (k == -d || (k != d && frontier[at - 1] < frontier[at + 1])) ? frontier[at + 1]
                                                                                    : frontier[at - 1] + 1;
      std::int64_t y = x - k;
      while (x < n && y < m && a[static_cast<std::size_t>(x)] == b[static_cast<std::size_t>(y)]) ++x, ++y;
      frontier[at] = x;
      if (x >= n && y >= m) {
        rounds.push_back(frontier);
        // Walk back from (n, m) through the rounds.
        steps.clear();
        std::int64_t px = n;
        std::int64_t py = m;
        for (std::int64_t round = d; round > 0; --round) {
          const std::vector<std::int64_t>& before = rounds[static_cast<std::size_t>(round - 1)];
          const std::int64_t pk = px - py;
          const auto pat = static_cast<std::size_t>(pk + offset);
          const bool down = pk == -round || (pk != round && before[pat - 1] < before[pat + 1]);
          const std::int64_t previousK = down ? pk + 1 : pk - 1;
          const std::int64_t previousX = before[static_cast<std::size_t>(previousK + offset)];
          const std::int64_t previousY = previousX - previousK;
          while (px > (down ? previousX : previousX + 1) && py > (down ? previousY + 1 : previousY)) {
            steps.push_back(Step::Keep);
            --px, --py;
          }
          steps.push_back(down ? Step::Insert : Step::Remove);
          px = previousX;
          py = previousY;
        }
        while (px > 0 && py > 0) {
          steps.push_back(Step::Keep);
          --px, --py;
        }
        std::reverse(steps.begin(), steps.end());
        return true;
      }
    }
    rounds.push_back(frontier);
  }
  return false;
}

// The removals and insertions of one gap between kept commands: the k-th
// removal and the k-th insertion of the same name are one changed command.
void PairGap(const std::vector<CommandLine>& a, const std::vector<CommandLine>& b,
             std::vector<std::int64_t>& removed, std::vector<std::int64_t>& inserted,
             CommandAlignment& alignment) {
  std::size_t r = 0;
  std::size_t i = 0;
  while (r < removed.size() || i < inserted.size()) {
    if (r < removed.size() && i < inserted.size() &&
        a[static_cast<std::size_t>(removed[r])].name == b[static_cast<std::size_t>(inserted[i])].name) {
      alignment.pairs.push_back({AlignedKind::Changed, removed[r++], inserted[i++]});
    } else if (r < removed.size()) {
      alignment.pairs.push_back({AlignedKind::OnlyInA, removed[r++], -1});
    } else {
      alignment.pairs.push_back({AlignedKind::OnlyInB, -1, inserted[i++]});
    }
  }
  removed.clear();
  inserted.clear();
}

}  // namespace

CommandAlignment AlignCommands(const std::vector<CommandLine>& a, std::span<const std::uint8_t> jobA,
                               const std::vector<CommandLine>& b, std::span<const std::uint8_t> jobB) {
  std::vector<std::uint64_t> keysA;
  std::vector<std::uint64_t> keysB;
  keysA.reserve(a.size());
  keysB.reserve(b.size());
  for (const CommandLine& command : a) keysA.push_back(CommandKey(command, jobA));
  for (const CommandLine& command : b) keysB.push_back(CommandKey(command, jobB));

  // The common head and tail need no search; most pairs of jobs differ in a few places.
  std::size_t head = 0;
  while (head < keysA.size() && head < keysB.size() && keysA[head] == keysB[head]) ++head;
  std::size_t tail = 0;
  while (tail < keysA.size() - head && tail < keysB.size() - head &&
         keysA[keysA.size() - 1 - tail] == keysB[keysB.size() - 1 - tail])
    ++tail;
  const std::vector<std::uint64_t> middleA(keysA.begin() + static_cast<std::ptrdiff_t>(head),
                                           keysA.end() - static_cast<std::ptrdiff_t>(tail));
  const std::vector<std::uint64_t> middleB(keysB.begin() + static_cast<std::ptrdiff_t>(head),
                                           keysB.end() - static_cast<std::ptrdiff_t>(tail));
  std::vector<Step> steps;
  if (!ShortestEditScript(middleA, middleB, kMostAlignedDifferences, steps)) {
    steps.assign(middleA.size(), Step::Remove);
    steps.insert(steps.end(), middleB.size(), Step::Insert);
  }

  CommandAlignment alignment;
  for (std::size_t index = 0; index < head; ++index)
    alignment.pairs.push_back(
        {AlignedKind::Same, static_cast<std::int64_t>(index), static_cast<std::int64_t>(index)});
  auto nextA = static_cast<std::int64_t>(head);
  auto nextB = static_cast<std::int64_t>(head);
  std::vector<std::int64_t> removed;
  std::vector<std::int64_t> inserted;
  for (const Step step : steps) {
    if (step == Step::Remove) {
      removed.push_back(nextA++);
    } else if (step == Step::Insert) {
      inserted.push_back(nextB++);
    } else {
      PairGap(a, b, removed, inserted, alignment);
      alignment.pairs.push_back({AlignedKind::Same, nextA++, nextB++});
    }
  }
  PairGap(a, b, removed, inserted, alignment);
  for (std::size_t index = 0; index < tail; ++index)
    alignment.pairs.push_back({AlignedKind::Same, nextA++, nextB++});

  for (const AlignedPair& pair : alignment.pairs) {
    switch (pair.kind) {
      case AlignedKind::Same: ++alignment.same; break;
      case AlignedKind::Changed: ++alignment.changed; break;
      case AlignedKind::OnlyInA: ++alignment.onlyInA; break;
      case AlignedKind::OnlyInB: ++alignment.onlyInB; break;
    }
    if (pair.kind != AlignedKind::Same && !alignment.firstDifference) alignment.firstDifference = pair;
  }
  return alignment;
}

}  // namespace tesk::core

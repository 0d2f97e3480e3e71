#pragma once
// tesk-cli --inspect --render paper: the paper's display list, so that every
// dot can be traced to the command that put it there.

#include <span>
#include <string>

#include "cli/json_text.h"
#include "printer/paper.h"
#include "printer/profile.h"

namespace tesk::cli {

std::string PaperListingText(std::span<const std::uint8_t> job, const printer::Profile& profile);
// The not-drawn list as JSON: offset, command and reason of each.
Json NotDrawnJson(const std::vector<printer::NotDrawnItem>& notDrawn);

Json PaperListingJson(std::span<const std::uint8_t> job, const printer::Profile& profile);

}  // namespace tesk::cli

#pragma once
// tesk-cli --inspect --render paper: the paper's display list, so that every
// dot can be traced to the command that put it there.

#include <span>
#include <string>

#include "cli/json_text.h"
#include "printer/profile.h"

namespace tesk::cli {

std::string PaperListingText(std::span<const std::uint8_t> job, const printer::Profile& profile);
Json PaperListingJson(std::span<const std::uint8_t> job, const printer::Profile& profile);

}  // namespace tesk::cli

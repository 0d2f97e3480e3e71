#pragma once

#include <string_view>
#include <vector>

namespace tesk::printer {

struct BuiltInProfile {
  std::string_view name;
  std::string_view json;
};

// The files of profiles/, the default first.
const std::vector<BuiltInProfile>& BuiltInProfiles();

}  // namespace tesk::printer

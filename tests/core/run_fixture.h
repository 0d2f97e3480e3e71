#pragma once
// A conversion run in a fresh folder, with the loader record and the picture
// living across the runs of one test as they live across drops in the window.

#include <gtest/gtest.h>

#include <optional>

#include "core/conversion_run.h"
#include "core/picture_limits.h"
#include "platform/write_faults.h"
#include "tests/support/temp_folder.h"

namespace tesk::core {

class RunFixture : public ::testing::Test {
 protected:
  void TearDown() override {
    platform::ClearWriteFaults();
    SetPictureByteLimit(kDefaultPictureByteLimit);
  }

  std::optional<RunMessage> Run(const std::filesystem::path& input, const RunOptions& options = {}) {
    figures = RunFigures{};
    return RunConversion(input, options, figures, source, image);
  }

  testing::TempFolder folder;
  RasterSource source;
  image::DibImage image;
  RunFigures figures;
};

}  // namespace tesk::core

#pragma once
// The paper of a job written beside the run's outputs: base + ".paper.png" for
// the first piece, ".paper-2.png", ".paper-3.png" ... for the pieces after cuts.

#include <filesystem>
#include <span>

#include "core/run_types.h"
#include "image/dib_image.h"
#include "printer/paper.h"
#include "printer/profile.h"

namespace tesk::core {

// The name of piece `index` (from 0) of the paper.
std::filesystem::path PaperPiecePath(const std::filesystem::path& base, std::size_t index);

// Draws the job's paper under the run's picture limit and writes its pieces.
// What goes wrong here is the paper's own message; the band run goes on.
PaperFigures WritePaperBeside(std::span<const std::uint8_t> job, const printer::Profile& profile,
                              const std::filesystem::path& base);

// The pieces one under the other as pure dot data, with a row of every other
// dot between two pieces where the paper was cut: at one dot a pixel it reads
// as a thin grey line. False when there is no paper to show.
bool StackPaperPieces(const PaperFigures& paper, std::vector<std::uint8_t>& pureData,
                      image::PictureGeometry& geometry);

// The paper alone, under the run's picture limit, for listings that write nothing.
printer::PaperResult DrawPaper(std::span<const std::uint8_t> job, const printer::Profile& profile,
                               printer::Paper& paper);

}  // namespace tesk::core

#include "core/paper_output.h"

#include <string>

#include "core/picture_limits.h"
#include "core/run_messages.h"
#include "image/png_file.h"

namespace tesk::core {

static_assert(printer::kDefaultPaperByteLimit == kDefaultPictureByteLimit,
              "the paper and the band picture share one size limit");

std::filesystem::path PaperPiecePath(const std::filesystem::path& base, std::size_t index) {
  const std::string suffix = index == 0 ? ".paper.png" : ".paper-" + std::to_string(index + 1) + ".png";
  return std::filesystem::path(base.native() + suffix);
}

printer::PaperResult DrawPaper(std::span<const std::uint8_t> job, const printer::Profile& profile,
                               printer::Paper& paper) {
  return printer::PrintJob(job, profile, paper, {PictureByteLimit()});
}

PaperFigures WritePaperBeside(std::span<const std::uint8_t> job, const printer::Profile& profile,
                              const std::filesystem::path& base) {
  PaperFigures figures;
  figures.profile = profile.name;
  printer::Paper paper;
  const printer::PaperResult result = DrawPaper(job, profile, paper);
  figures.width = paper.width;
  figures.height = paper.Height();
  figures.pieceCount = static_cast<std::int64_t>(paper.pieceHeights.size());
  figures.imagesDrawn = static_cast<std::int64_t>(paper.drawn.size());
  figures.notDrawnCount = paper.notDrawnCount;
  figures.notDrawn = std::move(paper.notDrawn);
  figures.drawn = std::move(paper.drawn);
  if (result != printer::PaperResult::Printed) {
    figures.message = printer::PaperResultText(result);
    return figures;
  }
  for (std::size_t index = 0; index < paper.pieces.size(); ++index) {
    const printer::PaperPiece& piece = paper.pieces[index];
    const image::PictureGeometry geometry{paper.WidthBytes(), paper.width, piece.height, paper.WidthBytes(),
                                          paper.WidthBytes() * piece.height};
    const auto written = image::WritePngFile(piece.rows, geometry, PaperPiecePath(base, index));
    if (written.status != platform::FileWriteResult::Status::Written) {
      figures.message = MakeWriteFailedMessage(written.path, written.error).text;
      return figures;
    }
    figures.files.push_back(written.path);
  }
  figures.pieces = std::move(paper.pieces);
  return figures;
}

bool StackPaperPieces(const PaperFigures& paper, std::vector<std::uint8_t>& pureData,
                      image::PictureGeometry& geometry) {
  const std::int64_t widthBytes = (paper.width + 7) / 8;
  if (paper.pieces.empty() || widthBytes <= 0) return false;
  std::int64_t height = static_cast<std::int64_t>(paper.pieces.size()) - 1;
  for (const printer::PaperPiece& piece : paper.pieces) height += piece.height;
  pureData.clear();
  pureData.reserve(static_cast<std::size_t>(height * widthBytes));
  for (std::size_t index = 0; index < paper.pieces.size(); ++index) {
    if (index > 0) pureData.insert(pureData.end(), static_cast<std::size_t>(widthBytes), 0xAA);
    pureData.insert(pureData.end(), paper.pieces[index].rows.begin(), paper.pieces[index].rows.end());
  }
  geometry = {widthBytes, paper.width, height, (widthBytes + 3) / 4 * 4, (widthBytes + 3) / 4 * 4 * height};
  return true;
}

}  // namespace tesk::core

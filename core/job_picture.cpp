#include "core/job_picture.h"

#include "core/band_gathering.h"
#include "core/paper_output.h"
#include "core/raster_source.h"
#include "core/run_messages.h"
#include "platform/file_system.h"
#include "platform/input_file.h"
#include "zip/zip_records.h"

namespace tesk::core {

bool LooksLikeArchive(const std::filesystem::path& path) {
  platform::InputFile file = platform::InputFile::Open(path);
  std::uint8_t signature[4] = {};
  return file.IsOpen() && file.ReadFully(signature) == 4 && zip::StartsWithLocalHeader(signature);
}

JobInMemory LoadJobInMemory(const std::filesystem::path& input, const RunOptions& options, bool gatherBands) {
  JobInMemory loaded;
  std::filesystem::path scratch;
  std::filesystem::path path = input;
  if (LooksLikeArchive(input)) {
    scratch = platform::CreateTemporaryFolder();
    path = scratch / input.filename();
    if (scratch.empty() || !platform::CopyFile(input, path)) path = input;
  }
  {
    RasterSource source;
    source.captureReading = options.captureReading;
    source.acceptCommandStream = AcceptsAnyCommandStream(options);
    loaded.kind = source.Load(path);
    const bool found = loaded.kind != CaptureKind::OpenFailed && loaded.kind != CaptureKind::Invalid;
    if (found) {
      const std::span<const std::uint8_t> job = source.Job();
      loaded.job.assign(job.begin(), job.end());
    }
    if (found && gatherBands) {
      RunFigures figures;
      BandGeometry geometry;
      loaded.message = GatherBands(source, options.layout, figures, geometry);
      if (!loaded.message) {
        DotPicture picture;
        picture.width = geometry.bitmapWidth;
        picture.height = geometry.bitmapHeight;
        const auto length = static_cast<std::size_t>(geometry.pureLength);
        picture.rows.assign(source.data.data(), source.data.data() + length);
        // A last band cut short is completed with white rows, as the picture shows it.
        picture.rows.resize(static_cast<std::size_t>(picture.WidthBytes() * picture.height), 0);
        loaded.bands = std::move(picture);
      }
    }
  }
  if (!scratch.empty()) platform::RemoveFolderTree(scratch);
  return loaded;
}

bool DrawPaperPicture(std::span<const std::uint8_t> job, const printer::Profile& profile, DotPicture& picture,
                      std::string& message) {
  printer::Paper paper;
  const printer::PaperResult result = DrawPaper(job, profile, paper);
  if (result != printer::PaperResult::Printed) {
    message = printer::PaperResultText(result);
    return false;
  }
  PaperFigures figures;
  figures.width = paper.width;
  figures.pieces = std::move(paper.pieces);
  image::PictureGeometry geometry;
  picture = DotPicture{};
  picture.width = paper.width;
  if (!StackPaperPieces(figures, picture.rows, geometry)) return true;  // blank paper: no rows
  picture.height = geometry.bitmapHeight;
  return true;
}

}  // namespace tesk::core

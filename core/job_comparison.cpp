#include "core/job_comparison.h"

#include <cstring>

#include "core/conversion_run.h"
#include "core/job_picture.h"
#include "image/overlay_png.h"
#include "platform/output_file.h"

namespace tesk::core {
namespace {

// The picture a job is compared by; false with `message` set when it has none.
bool PictureOfJob(const JobInMemory& loaded, const RunOptions& options, DotPicture& picture,
                  std::string& message) {
  if (options.paperProfile) return DrawPaperPicture(loaded.job, *options.paperProfile, picture, message);
  if (loaded.bands) {
    picture = *loaded.bands;
    return true;
  }
  message = loaded.message ? loaded.message->text : "no picture";
  return false;
}

std::optional<std::string> WriteOverlay(const PictureComparison& pictures,
                                        const std::filesystem::path& path) {
  const image::EncodedPng png = image::EncodeOverlayPng(pictures.overlay, pictures.width, pictures.height);
  if (png.error != 0) return "the overlay cannot be encoded (" + std::to_string(png.error) + ")";
  platform::OutputFile file = platform::OutputFile::Create(path);
  if (!file.IsOpen()) return path.string() + ": " + std::strerror(file.Error());
  if (!file.Write(png.Bytes()) || !file.Close()) return path.string() + ": " + std::strerror(file.Error());
  return std::nullopt;
}

}  // namespace

std::filesystem::path OverlayPath(const std::filesystem::path& a) {
  return OutputPath(OutputBase(a), ".diff.png");
}

JobComparison CompareJobs(const std::filesystem::path& a, const std::filesystem::path& b,
                          const JobComparisonOptions& options) {
  JobComparison comparison;
  comparison.paper = options.run.paperProfile.has_value();
  JobInMemory loaded[2] = {LoadJobInMemory(a, options.run), LoadJobInMemory(b, options.run)};
  for (int index = 0; index < 2; ++index) {
    const CaptureKind kind = loaded[index].kind;
    if (kind == CaptureKind::OpenFailed || kind == CaptureKind::Invalid) {
      comparison.result = ComparisonResult::CannotLoad;
      comparison.failedFile = index;
      comparison.message = (index == 0 ? a : b).string() + ": " +
                           (kind == CaptureKind::OpenFailed ? "cannot be opened" : "holds no print job");
      return comparison;
    }
  }
  comparison.jobA = loaded[0].job;
  comparison.jobB = loaded[1].job;
  comparison.commandsA = ListCommands(comparison.jobA);
  comparison.commandsB = ListCommands(comparison.jobB);
  comparison.commands =
      AlignCommands(comparison.commandsA, comparison.jobA, comparison.commandsB, comparison.jobB);

  DotPicture pictures[2];
  for (int index = 0; index < 2; ++index) {
    std::string message;
    if (!PictureOfJob(loaded[index], options.run, pictures[index], message)) {
      comparison.result = ComparisonResult::NoPicture;
      comparison.failedFile = index;
      comparison.message = (index == 0 ? a : b).string() + ": " + message;
      return comparison;
    }
  }
  comparison.pictures = ComparePictures(pictures[0], pictures[1], options.writeOverlay);
  comparison.result =
      comparison.pictures.Identical() ? ComparisonResult::Identical : ComparisonResult::Different;
  if (options.writeOverlay && comparison.pictures.width > 0 && comparison.pictures.height > 0) {
    comparison.overlayPath = OverlayPath(a);
    comparison.overlayError = WriteOverlay(comparison.pictures, comparison.overlayPath);
    if (comparison.overlayError) comparison.overlayPath.clear();
  }
  return comparison;
}

}  // namespace tesk::core

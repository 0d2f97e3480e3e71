#include "core/conversion_run.h"

#include <new>
#include <utility>

#include "core/band_gathering.h"
#include "core/layout_check.h"
#include "core/paper_output.h"
#include "core/run_messages.h"
#include "core/run_progress.h"
#include "core/zip_stage.h"
#include "image/bmp_file.h"
#include "image/png_encoding.h"
#include "image/png_file.h"
#include "platform/file_system.h"
#include "platform/output_file.h"

namespace tesk::core {
namespace {

using platform::FileWriteResult;
using Status = FileWriteResult::Status;

FileWriteResult WriteWholeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
  FileWriteResult result;
  result.path = path;
  platform::OutputFile file = platform::OutputFile::Create(path);
  if (!file.IsOpen()) {
    result.error = file.Error();
    return result;
  }
  if (!file.Write(bytes) || !file.Close()) {
    result.status = Status::WriteFailed;
    result.error = file.Error();
    return result;
  }
  result.status = Status::Written;
  result.length = bytes.size();
  return result;
}

// A run deletes only what it wrote itself, and only when the user chose not to keep it.
void KeepOrDelete(const std::filesystem::path& path, bool keep, RunFigures& figures) {
  if (keep)
    figures.keptOutputs.push_back(path);
  else
    platform::DeleteOutputFile(path);
}

std::span<const std::uint8_t> PureDataOf(const RasterSource& source, const BandGeometry& geometry) {
  return {source.data.data(), static_cast<std::size_t>(geometry.pureLength)};
}

// The band header, the pure data and the PNG's encoding, worked out in memory.
// Nothing of it is seen outside the run until the stages report it in their
// turn, so it can be done while the archive is still being packed.
struct PreparedPicture {
  std::optional<BandHeader> header;   // none when the job has no band to read one from
  std::optional<RunMessage> message;  // what ends the run once the bands are read
  BandGeometry geometry;
  // Encoded ahead of the DIB, so that the encoder's copy of the rows is
  // released before the pixel buffer is allocated.
  image::EncodedPng png;
};

PreparedPicture PreparePicture(RasterSource& source, const RunOptions& options) {
  PreparedPicture prepared;
  prepared.message = GatherBands(source, options.layout, prepared.header, prepared.geometry);
  if (!prepared.message)
    prepared.png =
        image::EncodePngPicture(PureDataOf(source, prepared.geometry), PictureGeometryOf(prepared.geometry));
  return prepared;
}

}  // namespace

std::filesystem::path OutputBase(const std::filesystem::path& loadedPath) {
  std::filesystem::path base = loadedPath;
  base.replace_extension();
  return base;
}

std::filesystem::path OutputPath(const std::filesystem::path& base, const char* suffix) {
  return std::filesystem::path(base.native() + suffix);
}

namespace {

std::optional<RunMessage> Cancelled() { return MakeRunMessage(RunMessageCode::Cancelled); }

// One run's stages, in order, and what each hands on to the next.
struct ConversionRun {
  const RunOptions& options;
  RunFigures& figures;
  RasterSource& source;
  image::DibImage& image;

  std::filesystem::path path;  // the input, then the file finally loaded (an archive's last entry)
  CaptureKind kind = CaptureKind::OpenFailed;
  std::filesystem::path base{};  // the outputs' names without their suffixes
  std::uint64_t loaded = 0;      // bytes loaded, for the progress hook

  std::filesystem::path binPath{};
  bool wroteBin = false;
  std::filesystem::path plainBinary{};  // what the archive packs
  std::filesystem::path zipPath{};
  ZipStageOutcome zipped{};
  LayoutVerdict verdict{};
  std::optional<PreparedPicture> prepared{};
  std::span<const std::uint8_t> pure{};

  std::optional<RunMessage> Run();

  std::optional<RunMessage> LoadInput();
  std::optional<RunMessage> WritePlainBinary();
  std::optional<RunMessage> PackPlainBinaryZip();
  void KeepOrDeleteIntermediates();
  void DrawPaper();
  std::optional<RunMessage> ReadBands();
  std::optional<RunMessage> WritePureData();
  std::optional<RunMessage> BuildImage();
  std::optional<RunMessage> WriteBitmap();
  std::optional<RunMessage> WritePng();
};

std::optional<RunMessage> ConversionRun::Run() {
  if (auto message = LoadInput()) return message;
  if (!ContinueRun(options, figures, 1, loaded)) return Cancelled();
  // From here on the job's length is known, also to a run that ends early.
  figures.dataLength = source.dataLength;

  if (auto message = WritePlainBinary()) return message;
  if (auto message = PackPlainBinaryZip()) return message;
  KeepOrDeleteIntermediates();
  if (!ContinueRun(options, figures, 2, loaded)) return Cancelled();

  DrawPaper();
  figures.layoutVerdict = std::move(verdict);

  if (auto message = ReadBands()) return message;
  if (!ContinueRun(options, figures, 3, loaded)) return Cancelled();
  if (auto message = WritePureData()) return message;
  if (!ContinueRun(options, figures, 4, loaded)) return Cancelled();
  if (auto message = BuildImage()) return message;
  if (!ContinueRun(options, figures, 5, loaded)) return Cancelled();
  figures.imageReady = true;
  if (auto message = WriteBitmap()) return message;
  if (!ContinueRun(options, figures, 6, loaded)) return Cancelled();
  if (auto message = WritePng()) return message;

  ReportRunDone(options, loaded);
  return std::nullopt;
}

std::optional<RunMessage> ConversionRun::LoadInput() {
  source.captureReading = options.captureReading;
  source.acceptCommandStream = AcceptsAnyCommandStream(options);
  source.progress = LoadProgressOf(options);
  kind = source.Load(path);
  source.progress = nullptr;
  if (kind == CaptureKind::Cancelled) return Cancelled();
  if (kind == CaptureKind::OpenFailed) return MakeRunMessage(RunMessageCode::LoadFailed);
  if (kind == CaptureKind::Invalid) return MakeRunMessage(RunMessageCode::InvalidData);
  figures.loadedPath = path;
  base = OutputBase(path);
  loaded = static_cast<std::uint64_t>(source.fileSize);
  return std::nullopt;
}

// Plain Binary: decoded input only (capture text or USB packet capture);
// raw input already is the job's plain binary.
std::optional<RunMessage> ConversionRun::WritePlainBinary() {
  binPath = OutputPath(base, ".bin");
  const bool decodedInput = kind == CaptureKind::CaptureText || kind == CaptureKind::UsbPacketCapture;
  if (decodedInput) {
    const FileWriteResult bin =
        WriteWholeFile(binPath, std::span<const std::uint8_t>(source.data.data(),
                                                              static_cast<std::size_t>(source.dataLength)));
    if (bin.status == Status::NotCreated) return MakeRunMessage(RunMessageCode::PlainBinaryFailed);
    if (bin.status == Status::WriteFailed) return MakeWriteFailedMessage(bin.path, bin.error);
    wroteBin = true;
  }
  plainBinary = decodedInput ? binPath : path;
  return std::nullopt;
}

// Plain Binary ZIP, packed on a second thread while this one prepares the
// picture; with no second thread, packed first and the rest in order.
std::optional<RunMessage> ConversionRun::PackPlainBinaryZip() {
  zipPath = OutputPath(base, "bin.zip");
  // An archive of an earlier run that the new one replaces is let go first.
  source.ReleaseArchiveReplacedBy(zipPath, plainBinary.filename().string());
  ZipStage zipStage(zipPath, plainBinary);
  // Gathering overwrites the job, so it is judged first; the verdict is
  // reported in its turn.
  verdict = JudgeFixedLayout(source.Job());
  // The paper is drawn from the job once the archive is done, so with a paper
  // to draw the picture waits its turn.
  if (zipStage.RunsBeside() && !options.paperProfile) prepared = PreparePicture(source, options);
  zipped = zipStage.Finish();
  if (zipped.writeFailed) return MakeWriteFailedMessage(zipPath, zipped.error);
  if (zipped.archiveSize) figures.zipFileSize = *zipped.archiveSize;
  return std::nullopt;
}

void ConversionRun::KeepOrDeleteIntermediates() {
  if (wroteBin) KeepOrDelete(binPath, options.keepPlainBinary, figures);
  if (zipped.created) KeepOrDelete(zipPath, options.keepPlainBinaryZip, figures);
}

// The paper is drawn from the job before the band stages put the pure data
// where the job was, and whatever those stages say afterwards.
void ConversionRun::DrawPaper() {
  if (options.paperProfile) {
    figures.paper = WritePaperBeside(source.Job(), *options.paperProfile, base);
    figures.keptOutputs.insert(figures.keptOutputs.end(), figures.paper->files.begin(),
                               figures.paper->files.end());
  }
}

// Band header and pure data.
std::optional<RunMessage> ConversionRun::ReadBands() {
  if (!prepared) prepared = PreparePicture(source, options);
  if (prepared->header) ReportHeader(*prepared->header, figures);
  if (prepared->message) return prepared->message;
  ReportGeometry(prepared->geometry, figures);
  pure = PureDataOf(source, prepared->geometry);
  return std::nullopt;
}

std::optional<RunMessage> ConversionRun::WritePureData() {
  const FileWriteResult dat = WriteWholeFile(OutputPath(base, ".dat"), pure);
  if (dat.status == Status::WriteFailed) return MakeWriteFailedMessage(dat.path, dat.error);
  if (dat.status == Status::Written) KeepOrDelete(dat.path, options.keepPureData, figures);
  return std::nullopt;
}

// The picture as a device-independent bitmap in memory.
std::optional<RunMessage> ConversionRun::BuildImage() {
  const image::PictureGeometry picture = PictureGeometryOf(prepared->geometry);
  if (!image::BuildDibImage(image, pure, picture, options.bottomUp))
    return MakeRunMessage(RunMessageCode::OutOfMemory);
  return std::nullopt;
}

std::optional<RunMessage> ConversionRun::WriteBitmap() {
  const FileWriteResult bmp = image::WriteBmpFile(image, OutputPath(base, ".bmp"));
  if (bmp.status == Status::WriteFailed) return MakeWriteFailedMessage(bmp.path, bmp.error);
  if (bmp.status == Status::Written) {
    figures.bmpFileSize = bmp.length;
    KeepOrDelete(bmp.path, options.keepBitmap, figures);
  }
  return std::nullopt;
}

std::optional<RunMessage> ConversionRun::WritePng() {
  const FileWriteResult png = image::WriteEncodedPngFile(prepared->png, OutputPath(base, ".png"));
  if (png.status == Status::WriteFailed) return MakeWriteFailedMessage(png.path, png.error);
  if (png.status == Status::Written) {
    figures.pngFileSize = png.length;
    KeepOrDelete(png.path, options.keepPng, figures);
  }
  return std::nullopt;
}

}  // namespace

std::optional<RunMessage> RunConversion(const std::filesystem::path& inputPath, const RunOptions& options,
                                        RunFigures& figures, RasterSource& source, image::DibImage& image) {
  // Every buffer sized by the input is checked where it is allocated; this
  // catches the small allocations besides them (names, lists), so that memory
  // running out is a message of the run and never ends the process.
  try {
    return ConversionRun{options, figures, source, image, inputPath}.Run();
  } catch (const std::bad_alloc&) {
    return MakeRunMessage(figures.dataLength ? RunMessageCode::OutOfMemory : RunMessageCode::LoadFailed);
  }
}

}  // namespace tesk::core

#include "core/conversion_run.h"

#include <cstring>
#include <new>

#include "core/band_geometry.h"
#include "core/command_layout.h"
#include "core/layout_check.h"
#include "core/paper_output.h"
#include "core/picture_limits.h"
#include "core/run_progress.h"
#include "core/run_messages.h"
#include "image/bmp_file.h"
#include "image/png_file.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "zip/zip_writer.h"

namespace tesk::core {
namespace {

using platform::FileWriteResult;
using Status = FileWriteResult::Status;

FileWriteResult WriteWholeFile(const std::filesystem::path& path,
                               std::span<const std::uint8_t> bytes) {
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

image::PictureGeometry PictureOf(const BandGeometry& geometry) {
  return {geometry.widthBytes, geometry.bitmapWidth, geometry.bitmapHeight, geometry.rowStride,
          geometry.pixelBytes};
}

bool BeyondPictureLimit(const BandGeometry& geometry) {
  return geometry.pureLength > PictureByteLimit() || geometry.pixelBytes > PictureByteLimit();
}

void ReportHeader(std::int32_t mode, std::int32_t widthBytes, std::int32_t bandHeight,
                  RunFigures& figures) {
  figures.mode = mode;
  figures.widthBytes = widthBytes;
  figures.bandHeight = bandHeight;
}

void ReportGeometry(const BandGeometry& geometry, RunFigures& figures) {
  figures.bandCount = geometry.bandCount;
  figures.bitmapWidth = geometry.bitmapWidth;
  figures.bitmapHeight = geometry.bitmapHeight;
  figures.paddedWidth = geometry.paddedWidth;
}

std::optional<RunMessage> GatherFromFixedLayout(RasterSource& source, RunFigures& figures,
                                                BandGeometry& geometry) {
  std::int32_t mode = 0;
  std::int32_t widthBytes = 0;
  std::int32_t bandHeight = 0;
  source.ReadBandHeader(mode, widthBytes, bandHeight);
  ReportHeader(mode, widthBytes, bandHeight, figures);

  // A header that asks for more than any real job needs, or for far more than
  // the job holds, is corrupt.
  const PureDataPlan plan = source.PlanPureData();
  if (!plan.lastBandCompletable ||
      BeyondPictureLimit(ComputeBandGeometry(mode, widthBytes, bandHeight, plan.pureLength)))
    return MakeRunMessage(RunMessageCode::InvalidData);
  const std::uint8_t* pureData = nullptr;
  std::int64_t pureLength = 0;
  if (!source.GatherPureData(pureData, pureLength)) return MakeRunMessage(RunMessageCode::LoadFailed);
  geometry = ComputeBandGeometry(mode, widthBytes, bandHeight, pureLength);
  ReportGeometry(geometry, figures);
  return std::nullopt;
}

std::optional<RunMessage> GatherFromCommands(RasterSource& source, RunFigures& figures,
                                             BandGeometry& geometry) {
  const CommandBandLayout layout = PlanCommandLayout(source.Job());
  if (!layout.complete) return MakeRunMessage(RunMessageCode::LoadFailed);  // no memory for the list of bands
  // An empty picture would look like success; say what is missing instead.
  if (layout.bands.empty()) return MakeRunMessage(RunMessageCode::NoRasterCommand);
  source.mode = layout.mode;
  source.widthBytes = layout.widthBytes;
  source.bandHeight = layout.bandHeight;
  ReportHeader(layout.mode, layout.widthBytes, layout.bandHeight, figures);

  geometry = ComputeBandGeometry(layout.mode, layout.widthBytes, layout.bandHeight, layout.pureLength);
  geometry.bandCount = static_cast<std::int64_t>(layout.bands.size());
  geometry.bitmapHeight = layout.bitmapHeight;
  geometry.pixelBytes = geometry.rowStride * geometry.bitmapHeight;
  if (!layout.lastBandCompletable || BeyondPictureLimit(geometry))
    return MakeRunMessage(RunMessageCode::InvalidData);
  ByteBuffer pureData;
  if (!GatherCommandBands(source.Job(), layout, pureData)) return MakeRunMessage(RunMessageCode::LoadFailed);
  // The pure data stand at the front of the job buffer, as the fixed layout
  // leaves them; the job itself is of no further use.
  if (pureData.size() > source.data.size() && !source.data.Grow(pureData.size()))
    return MakeRunMessage(RunMessageCode::LoadFailed);
  std::memcpy(source.data.data(), pureData.data(), pureData.size());
  ReportGeometry(geometry, figures);
  return std::nullopt;
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

static std::optional<RunMessage> RunStages(const std::filesystem::path& inputPath,
                                           const RunOptions& options, RunFigures& figures,
                                           RasterSource& source, image::DibImage& image) {
  // 1. Load.
  std::filesystem::path path = inputPath;
  source.captureReading = options.captureReading;
  source.acceptCommandStream = AcceptsAnyCommandStream(options);
  const CaptureKind kind = source.Load(path);
  if (kind == CaptureKind::OpenFailed) return MakeRunMessage(RunMessageCode::LoadFailed);
  if (kind == CaptureKind::Invalid) return MakeRunMessage(RunMessageCode::InvalidData);
  figures.loadedPath = path;
  const std::filesystem::path base = OutputBase(path);
  const auto loaded = static_cast<std::uint64_t>(source.fileSize);
  if (!ContinueRun(options, figures, 1, loaded)) return MakeRunMessage(RunMessageCode::Cancelled);

  // 2.
  figures.dataLength = source.dataLength;

  // 3. Plain Binary: decoded input only (capture text or USB packet capture);
  // raw input already is the job's plain binary.
  const std::filesystem::path binPath = OutputPath(base, ".bin");
  const bool decodedInput = kind == CaptureKind::CaptureText || kind == CaptureKind::UsbPacketCapture;
  bool wroteBin = false;
  if (decodedInput) {
    const FileWriteResult bin = WriteWholeFile(
        binPath, std::span<const std::uint8_t>(source.data.data(),
                                               static_cast<std::size_t>(source.dataLength)));
    if (bin.status == Status::NotCreated) return MakeRunMessage(RunMessageCode::PlainBinaryFailed);
    if (bin.status == Status::WriteFailed) return MakeWriteFailedMessage(bin.path, bin.error);
    wroteBin = true;
  }
  const std::filesystem::path plainBinary = decodedInput ? binPath : path;

  // 4. Plain Binary ZIP.
  const std::filesystem::path zipPath = OutputPath(base, "bin.zip");
  source.ReleaseArchiveReplacedBy(zipPath, plainBinary.filename().string());
  bool wroteZip = false;
  if (zip::ZipHandle* handle = zip::ZipWriterCreate(zipPath)) {
    wroteZip = true;
    int addError = 0;
    int closeError = 0;
    const zip::ZipResult added =
        zip::ZipWriterAddFile(handle, plainBinary.filename().string(), plainBinary, &addError);
    const zip::ZipResult closed = zip::ZipWriterClose(handle, &closeError);
    if (added == zip::kZipWriteFailed || closed == zip::kZipWriteFailed)
      return MakeWriteFailedMessage(zipPath, addError != 0 ? addError : closeError);
    if (const auto size = platform::FileLength(zipPath)) figures.zipFileSize = *size;
  }

  // 5. Keep or delete.
  if (wroteBin) KeepOrDelete(binPath, options.keepPlainBinary, figures);
  if (wroteZip) KeepOrDelete(zipPath, options.keepPlainBinaryZip, figures);
  if (!ContinueRun(options, figures, 2, loaded)) return MakeRunMessage(RunMessageCode::Cancelled);

  // The paper is drawn from the job before the band stages put the pure data
  // where the job was, and whatever those stages say afterwards.
  if (options.paperProfile) {
    figures.paper = WritePaperBeside(source.Job(), *options.paperProfile, base);
    figures.keptOutputs.insert(figures.keptOutputs.end(), figures.paper->files.begin(), figures.paper->files.end());
  }

  // Gathering overwrites the job, so it is judged first.
  figures.layoutVerdict = JudgeFixedLayout(source.Job());

  // 6 and 7. Band header and pure data.
  BandGeometry geometry;
  const std::optional<RunMessage> gathered =
      options.layout == BandLayoutChoice::Commands ? GatherFromCommands(source, figures, geometry)
                                                   : GatherFromFixedLayout(source, figures, geometry);
  if (gathered) return gathered;
  if (!ContinueRun(options, figures, 3, loaded)) return MakeRunMessage(RunMessageCode::Cancelled);
  const std::span<const std::uint8_t> pure(source.data.data(),
                                           static_cast<std::size_t>(geometry.pureLength));

  // 8. Pure Data.
  const FileWriteResult dat = WriteWholeFile(OutputPath(base, ".dat"), pure);
  if (dat.status == Status::WriteFailed) return MakeWriteFailedMessage(dat.path, dat.error);
  if (dat.status == Status::Written) KeepOrDelete(dat.path, options.keepPureData, figures);
  if (!ContinueRun(options, figures, 4, loaded)) return MakeRunMessage(RunMessageCode::Cancelled);

  // 9. DIB.
  const image::PictureGeometry picture = PictureOf(geometry);
  if (!image::BuildDibImage(image, pure, picture, options.bottomUp))
    return MakeRunMessage(RunMessageCode::OutOfMemory);
  if (!ContinueRun(options, figures, 5, loaded)) return MakeRunMessage(RunMessageCode::Cancelled);
  figures.imageReady = true;

  // 10. BMP.
  const FileWriteResult bmp = image::WriteBmpFile(image, OutputPath(base, ".bmp"));
  if (bmp.status == Status::WriteFailed) return MakeWriteFailedMessage(bmp.path, bmp.error);
  if (bmp.status == Status::Written) {
    figures.bmpFileSize = bmp.length;
    KeepOrDelete(bmp.path, options.keepBitmap, figures);
  }
  if (!ContinueRun(options, figures, 6, loaded)) return MakeRunMessage(RunMessageCode::Cancelled);

  // 11. PNG.
  const FileWriteResult png = image::WritePngFile(pure, picture, OutputPath(base, ".png"));
  if (png.status == Status::WriteFailed) return MakeWriteFailedMessage(png.path, png.error);
  if (png.status == Status::Written) {
    figures.pngFileSize = png.length;
    KeepOrDelete(png.path, options.keepPng, figures);
  }

  // 12.
  ReportRunDone(options, loaded);
  return std::nullopt;
}

std::optional<RunMessage> RunConversion(const std::filesystem::path& inputPath,
                                        const RunOptions& options, RunFigures& figures,
                                        RasterSource& source, image::DibImage& image) {
  // Every buffer sized by the input is checked where it is allocated; this
  // catches the small allocations besides them (names, lists), so that memory
  // running out is a message of the run and never ends the process.
  try {
    return RunStages(inputPath, options, figures, source, image);
  } catch (const std::bad_alloc&) {
    return MakeRunMessage(figures.dataLength ? RunMessageCode::OutOfMemory : RunMessageCode::LoadFailed);
  }
}

}  // namespace tesk::core

#include "core/zip_stage.h"

#include <system_error>
#include <utility>

#include "platform/file_system.h"
#include "zip/zip_writer.h"

namespace tesk::core {
namespace {
bool failNextWorkerStart = false;
}

void FailNextZipWorkerStart() { failNextWorkerStart = true; }

ZipStageOutcome PackPlainBinary(const std::filesystem::path& archivePath,
                                const std::filesystem::path& plainBinary) {
  ZipStageOutcome outcome;
  zip::ScopedZipWriter writer(zip::ZipWriterCreate(archivePath));
  if (!writer) return outcome;
  outcome.created = true;
  int addError = 0;
  int closeError = 0;
  // Whether the file could be added is not the run's concern; a write that
  // failed on the archive is.
  const zip::ZipResult added =
      zip::ZipWriterAddFile(writer.get(), plainBinary.filename().string(), plainBinary, &addError);
  const zip::ZipResult closed = zip::ZipWriterClose(writer.release(), &closeError);
  if (added == zip::kZipWriteFailed || closed == zip::kZipWriteFailed) {
    outcome.writeFailed = true;
    outcome.error = addError != 0 ? addError : closeError;
    return outcome;
  }
  outcome.archiveSize = platform::FileLength(archivePath);
  return outcome;
}

ZipStage::ZipStage(std::filesystem::path archivePath, std::filesystem::path plainBinary)
    : archivePath_(std::move(archivePath)), plainBinary_(std::move(plainBinary)) {
  if (!std::exchange(failNextWorkerStart, false)) {
    try {
      worker_ = std::thread([this] { outcome_ = PackPlainBinary(archivePath_, plainBinary_); });
      return;
    } catch (const std::system_error&) {
      // No second thread to be had: pack here instead.
    }
  }
  outcome_ = PackPlainBinary(archivePath_, plainBinary_);
}

ZipStage::~ZipStage() {
  if (worker_.joinable()) worker_.join();
}

const ZipStageOutcome& ZipStage::Finish() {
  if (worker_.joinable()) worker_.join();
  return outcome_;
}

}  // namespace tesk::core

// ZipReaderExtractEntry: one entry's data, decrypted and inflated, into a file.

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"
#include "platform/held_files.h"
#include "platform/input_file.h"
#include "platform/output_file.h"
#include "zip/entry_name.h"
#include "zip/extraction_folders.h"
#include "zip/traditional_decryption.h"
#include "zip/zip_reader.h"
#include "zip/zip_reader_state.h"

namespace tesk::zip {
namespace {

// An entry too large to be loaded is never extracted.
constexpr std::uint64_t kLargestExtractedSize = platform::kLargestLoadableFile;
constexpr int kRawInflateWindowBits = -15;

// The entry's compressed bytes in blocks, decrypted when it is encrypted.
class EntryDataSource {
 public:
  EntryDataSource(ZipReader& reader, std::uint64_t position, std::uint64_t size)
      : reader_(reader), position_(position), remaining_(size) {}

  // Reads the encryption header; 0x1000 when its check byte says the password
  // (the empty one) is not the entry's.
  ZipResult StartDecryption(std::uint8_t checkByte) {
    decryption_.emplace();
    std::array<std::uint8_t, kEncryptionHeaderSize> header{};
    if (remaining_ < header.size() || !reader_.ReadAt(position_, header))
      return kZipBadData;  // the data end inside the encryption header
    position_ += header.size();
    remaining_ -= header.size();
    decryption_->Decrypt(header);
    if (header.back() != checkByte) return kZipBadPassword;  // encrypted under another password
    return kZipOk;
  }

  std::uint64_t Remaining() const { return remaining_; }

  // The next block, empty when every byte has been read; false on a short read.
  bool Next(std::span<const std::uint8_t>& block) {
    std::vector<std::uint8_t>& buffer = reader_.compressedBlock;
    const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), remaining_));
    const std::span<std::uint8_t> bytes(buffer.data(), count);
    if (!reader_.ReadAt(position_, bytes)) return false;
    position_ += count;
    remaining_ -= count;
    if (decryption_) decryption_->Decrypt(bytes);
    block = bytes;
    return true;
  }

 private:
  ZipReader& reader_;
  std::uint64_t position_;
  std::uint64_t remaining_;
  std::optional<TraditionalDecryption> decryption_;
};

// Where the extracted bytes go, with their running CRC-32.
struct OutputSink {
  bool Deliver(std::span<const std::uint8_t> bytes) {
    crc32 = static_cast<std::uint32_t>(::crc32(crc32, bytes.data(), static_cast<uInt>(bytes.size())));
    if (file.Write(bytes)) return true;
    if (systemError) *systemError = file.Error();
    return false;
  }

  platform::OutputFile& file;
  int* systemError;
  std::uint32_t crc32 = 0;
};

ZipResult CopyStored(EntryDataSource& source, std::uint64_t declaredSize, OutputSink& sink) {
  std::uint64_t left = declaredSize;
  while (left > 0) {
    std::span<const std::uint8_t> block;
    if (!source.Next(block) || block.empty()) return kZipBadData;  // the data run out
    if (block.size() > left) block = block.first(static_cast<std::size_t>(left));
    if (!sink.Deliver(block)) return kZipWriteFailed;
    left -= block.size();
  }
  return kZipOk;
}

ZipResult CopyInflated(EntryDataSource& source, std::uint64_t declaredSize, OutputSink& sink,
                       std::vector<std::uint8_t>& output) {
  z_stream stream{};
  if (::inflateInit2(&stream, kRawInflateWindowBits) != Z_OK) return kZipBadData;  // no inflater to be had
  std::uint64_t left = declaredSize;
  ZipResult result = kZipOk;
  for (;;) {
    if (stream.avail_in == 0 && source.Remaining() > 0) {
      std::span<const std::uint8_t> block;
      if (!source.Next(block)) {
        result = kZipBadData;  // the data cannot be read
        break;
      }
      stream.next_in = const_cast<Bytef*>(block.data());
      stream.avail_in = static_cast<uInt>(block.size());
    }
    const uInt inputBefore = stream.avail_in;
    stream.next_out = output.data();
    stream.avail_out = static_cast<uInt>(output.size());
    const int status = ::inflate(&stream, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
      result = kZipBadData;  // not a valid deflate stream
      break;
    }
    const std::size_t produced = output.size() - stream.avail_out;
    if (produced > left) {
      result = kZipBadData;  // more data than the entry declares
      break;
    }
    if (produced > 0 && !sink.Deliver({output.data(), produced})) {
      result = kZipWriteFailed;
      break;
    }
    left -= produced;
    if (status == Z_STREAM_END) {
      if (left != 0) result = kZipBadData;  // the stream ended before the entry was complete
      break;
    }
    if (produced == 0 && stream.avail_in == inputBefore) {
      result = kZipBadData;  // the stream needs bytes the entry does not have
      break;
    }
  }
  ::inflateEnd(&stream);
  return result;
}

// The checks that need no output file, so a bad entry leaves a file of its
// name as it was.
ZipResult CheckDeclaredSizes(const CentralEntry& entry) {
  if (entry.uncompressedSize > kLargestExtractedSize)
    return kZipBadArguments;  // too large for any file that could be loaded
  const std::uint64_t header = (entry.record.flags & kFlagEncrypted) ? kEncryptionHeaderSize : 0;
  if (entry.compressedSize < header) return kZipBadData;  // the data end inside the encryption header
  if (entry.record.method == kMethodStored && entry.compressedSize - header != entry.uncompressedSize)
    return kZipBadData;  // a stored entry whose data are not its size
  return kZipOk;
}

std::uint8_t CheckByte(const CentralRecord& central) {
  // With a data descriptor the CRC-32 was not known when the header was
  // encrypted, so the maker checked against the time instead.
  if (central.flags & kFlagDataDescriptor) return static_cast<std::uint8_t>(central.dosTime >> 8);
  return static_cast<std::uint8_t>(central.crc32 >> 24);
}

}  // namespace

ZipResult ZipReaderExtractEntry(ZipHandle* handle, std::int32_t index, const std::string& destinationName,
                                int* systemError) {
  ZipResult failure = kZipOk;
  ZipReader* reader = ReaderOf(handle, failure);
  if (!reader) return failure;
  if (index < 0 || index >= static_cast<std::int64_t>(reader->entryCount))
    return kZipBadArguments;  // no such entry

  ZipEntryInfo info;
  std::uint64_t dataPosition = 0;
  if (const ZipResult looked = LookUpEntry(*reader, index, info, dataPosition); looked != kZipOk)
    return looked;
  const CentralEntry& entry = reader->entries[static_cast<std::size_t>(index)];
  const CentralRecord& central = entry.record;

  std::string name = destinationName;
  for (char& character : name)
    if (character == '\\') character = '/';
  if (!IsSafeEntryName(name)) return kZipBadArguments;  // would leave the base folder

  if (info.attributes & kEntryDirectory)
    return MakeFoldersBeneath(reader->baseFolder, name) ? kZipOk : kZipCannotOpen;

  if (const ZipResult sizes = CheckDeclaredSizes(entry); sizes != kZipOk) return sizes;
  const std::size_t slash = name.rfind('/');
  const std::string_view folderPart =
      slash == std::string::npos ? std::string_view() : std::string_view(name).substr(0, slash + 1);
  if (folderPart.size() == name.size()) return kZipCannotOpen;  // a file name without a file part
  if (!MakeFoldersBeneath(reader->baseFolder, folderPart))
    return kZipCannotOpen;  // a folder part exists as a file or a link

  EntryDataSource source(*reader, dataPosition, entry.compressedSize);
  if (reader->compressedBlock.empty()) {
    reader->compressedBlock.resize(kTransferBlockSize);
    reader->outputBlock.resize(kTransferBlockSize);
  }
  if (central.flags & kFlagEncrypted) {
    if (const ZipResult started = source.StartDecryption(CheckByte(central)); started != kZipOk)
      return started;
  }

  const std::filesystem::path outputPath(reader->baseFolder.native() + name);
  // What stands in the entry's place is checked before anything is written:
  // a held file, a link, a FIFO or a device there is never replaced.
  int refusal = 0;
  if (platform::IsHeldFile(outputPath))
    refusal = EBUSY;
  else
    platform::IsOtherThanRegularFile(outputPath, false, &refusal);
  if (refusal != 0) {
    if (systemError) *systemError = refusal;
    return kZipCannotOpen;  // the place of the output file is taken
  }

  // The entry goes to a file of its own first and replaces a file of its name
  // only once it has checked out, so a damaged entry leaves that file as it was.
  platform::OutputFile output = platform::OutputFile::CreateTemporaryBeside(outputPath);
  if (!output.IsOpen()) {
    if (systemError) *systemError = output.Error();
    return kZipCannotOpen;  // the output file cannot be created
  }
  const std::filesystem::path temporaryPath = output.Path();

  OutputSink sink{output, systemError};
  ZipResult result = central.method == kMethodStored
                         ? CopyStored(source, entry.uncompressedSize, sink)
                         : CopyInflated(source, entry.uncompressedSize, sink, reader->outputBlock);
  if (result == kZipOk && sink.crc32 != central.crc32) result = kZipBadData;  // CRC-32 mismatch
  if (!output.Close() && result == kZipOk) {
    if (systemError) *systemError = output.Error();
    result = kZipWriteFailed;
  }
  if (result == kZipOk) {
    platform::SetFileTimes(temporaryPath, info.accessTime, info.writeTime);
    if (info.attributes & kEntryReadOnly) platform::ClearWritePermission(temporaryPath);
    int moveError = 0;
    if (platform::MoveIntoPlace(temporaryPath, outputPath, &moveError)) return kZipOk;
    if (systemError) *systemError = moveError;
    result = kZipCannotOpen;  // something took the output's place meanwhile
  }
  // A half-written or corrupt file must not be left behind.
  platform::DeleteOutputFile(temporaryPath);
  return result;
}

}  // namespace tesk::zip

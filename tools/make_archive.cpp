// Packs files into a ZIP archive with Tesk's own writer, each entry named
// after its file's name part: tesk-make-archive OUTPUT.zip FILE...
// samples/receipt.zip was made this way from samples/receipt.prn.

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "platform/file_system.h"
#include "zip/zip_writer.h"

int main(int argc, char** argv) {
  using namespace tesk;
  if (argc < 3) {
    std::cerr << "usage: tesk-make-archive OUTPUT.zip FILE...\n";
    return 2;
  }
  zip::ScopedZipWriter writer(zip::ZipWriterCreate(argv[1]));
  if (!writer) {
    std::cerr << "tesk-make-archive: cannot create " << argv[1] << "\n";
    return 1;
  }
  int status = 0;
  for (int index = 2; index < argc; ++index) {
    const std::filesystem::path source = argv[index];
    int error = 0;
    const zip::ZipResult result =
        zip::ZipWriterAddFile(writer.get(), source.filename().string(), source, &error);
    if (result != zip::kZipOk) {
      std::fprintf(stderr, "tesk-make-archive: %s: code 0x%X%s%s\n", argv[index], result, error ? ", " : "",
                   error ? platform::ErrorText(error).c_str() : "");
      status = 1;
    }
  }
  int error = 0;
  if (zip::ZipWriterClose(writer.release(), &error) != zip::kZipOk) {
    std::cerr << "tesk-make-archive: cannot complete " << argv[1] << ": " << platform::ErrorText(error)
              << "\n";
    status = 1;
  }
  return status;
}

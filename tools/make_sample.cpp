// Writes the bundled samples: tesk-make-sample OUTPUT.prn [CAPTURE.txt]
// OUTPUT.prn receives the sample job; CAPTURE.txt, when given, the capture
// text of the same job.

#include <fstream>
#include <iostream>
#include <string_view>

#include "tools/sample_capture.h"
#include "tools/sample_job.h"

namespace {

bool WriteBytes(const char* path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  // An option is never a file name: "--help" asks for the usage, not for a file of that name.
  const bool asksForUsage = argc > 1 && argv[1][0] == '-';
  if ((argc != 2 && argc != 3) || asksForUsage) {
    std::cerr << "usage: tesk-make-sample OUTPUT.prn [CAPTURE.txt]\n";
    return 2;
  }
  const auto picture = tesk::tools::MakeReceiptPicture(72, 24 * 20);
  const auto job = tesk::tools::BuildFixedLayoutJob(picture, 24);
  if (!WriteBytes(argv[1], std::string_view(reinterpret_cast<const char*>(job.data()), job.size()))) return 1;
  if (argc == 3 && !WriteBytes(argv[2], tesk::tools::MakeSampleCaptureText(job))) return 1;
  return 0;
}

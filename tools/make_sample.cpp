// Writes the bundled sample job: tesk-make-sample OUTPUT.prn

#include <fstream>
#include <iostream>

#include "tools/sample_job.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: tesk-make-sample OUTPUT.prn\n";
    return 2;
  }
  const auto picture = tesk::tools::MakeReceiptPicture(72, 24 * 20);
  const auto job = tesk::tools::BuildFixedLayoutJob(picture, 24);
  std::ofstream out(argv[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(job.data()), static_cast<std::streamsize>(job.size()));
  return out ? 0 : 1;
}

// Wraps a print job in a USB packet capture of a printer session:
//   tesk-make-usbcap [--pcap] [--link 189|220|249] [--big-endian] [--nanoseconds]
//                    [--simple] [--urb BYTES] JOB.prn OUTPUT

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/usb_capture_writer.h"

namespace {

int Usage() {
  std::cerr << "usage: tesk-make-usbcap [--pcap] [--link 189|220|249] [--big-endian] [--nanoseconds]\n"
               "                        [--simple] [--urb BYTES] JOB.prn OUTPUT\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tesk::tools;
  UsbCaptureLayout layout;
  std::size_t urbSize = 4096;
  std::vector<std::string> files;
  for (int index = 1; index < argc; ++index) {
    const std::string argument = argv[index];
    if (argument == "--pcap") {
      layout.file = CaptureFile::Pcap;
    } else if (argument == "--big-endian") {
      layout.bigEndian = true;
    } else if (argument == "--nanoseconds") {
      layout.nanoseconds = true;
    } else if (argument == "--simple") {
      layout.simplePackets = true;
    } else if ((argument == "--link" || argument == "--urb") && index + 1 < argc) {
      const unsigned long value = std::stoul(argv[++index]);
      if (argument == "--link")
        layout.linkType = static_cast<std::uint16_t>(value);
      else
        urbSize = value;
    } else if (!argument.empty() && argument[0] == '-') {
      return Usage();
    } else {
      files.push_back(argument);
    }
  }
  if (files.size() != 2 || urbSize == 0) return Usage();

  std::ifstream in(files[0], std::ios::binary);
  if (!in) {
    std::cerr << "tesk-make-usbcap: cannot read " << files[0] << "\n";
    return 1;
  }
  const std::vector<std::uint8_t> job((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  UsbCaptureWriter writer(layout);
  writer.Add(MakePrinterSession(job, urbSize));
  std::ofstream out(files[1], std::ios::binary);
  out.write(reinterpret_cast<const char*>(writer.Bytes().data()),
            static_cast<std::streamsize>(writer.Bytes().size()));
  return out ? 0 : 1;
}

#pragma once

namespace tesk::core {

// What a load found in its file.
enum class CaptureKind : int {
  RawJob = 0,            // the file is the job: it begins with ESC @
  CaptureText = 1,       // the job was decoded from a capture text
  UsbPacketCapture = 2,  // the job was taken from a pcap or pcapng file of USB traffic
  Cancelled = 3,         // the load's progress hook asked it to stop
  OpenFailed = 4,        // the file could not be opened (or held in memory)
  Invalid = 255,         // nothing valid: no decodable capture, or an archive that gave no file
};

}  // namespace tesk::core

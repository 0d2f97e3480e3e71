#pragma once
// What a printer says about itself when a host asks: the real-time status
// bytes (DLE EOT n), the transmitted status (GS r n), the automatic status
// (GS a) and its identity (GS I n). The defaults describe a printer that is online with paper loaded,
// so point-of-sale software that waits for that goes on printing.

#include <array>
#include <cstdint>
#include <string>

namespace tesk::printer {

struct StatusAnswers {
  // DLE EOT 1..4. Bits 1 and 4 are fixed at 1; every other bit 0 means online,
  // cover closed, no error, paper present.
  std::uint8_t printerStatus = 0x12;
  std::uint8_t offlineCause = 0x12;
  std::uint8_t errorCause = 0x12;
  std::uint8_t paperRollSensor = 0x12;
  // DLE EOT 7 1 / 7 2: first and second colour; bits 1 and 4 fixed at 1,
  // the rest 0 for ink present with no near-end.
  std::uint8_t inkStatusA = 0x12;
  std::uint8_t inkStatusB = 0x12;
  // Sent when GS a enables it: printer, error and two paper-sensor bytes. Bit 4
  // of the first byte is fixed at 1 (it tells this status from the others);
  // all else 0 means online, cover closed, no error, paper present.
  std::array<std::uint8_t, 4> automaticStatus = {0x10, 0x00, 0x00, 0x00};
  // GS r 1 / 2 / 4: paper present, drawer pin low, ink present.
  std::uint8_t paperSensor = 0x00;
  std::uint8_t drawerSensor = 0x00;
  std::uint8_t inkSensor = 0x00;
  // GS I 1 / 2 / 3.
  std::uint8_t modelId = 0x20;
  std::uint8_t typeId = 0x02;
  std::uint8_t versionId = 0x64;
  // GS I 65 .. 69, sent as 0x5F, the text, NUL.
  std::string firmwareVersion = "1.00";
  std::string makerName = "Tesk";
  std::string modelName = "Tesk virtual printer";
  std::string serialNumber = "00000001";
  std::string fontLanguage = "";
};

}  // namespace tesk::printer

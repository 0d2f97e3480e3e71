#include "cli/usb_capture_report.h"

#include <cstdio>

#include "cli/json_text.h"

namespace tesk::cli {
namespace {

const char* ContainerName(usbcap::UsbContainer container) {
  switch (container) {
    case usbcap::UsbContainer::Pcap: return "pcap";
    case usbcap::UsbContainer::PcapNg: return "pcapng";
    default: return "none";
  }
}

const char* OutcomeName(usbcap::TransferOutcome outcome) {
  switch (outcome) {
    case usbcap::TransferOutcome::Completed: return "completed";
    case usbcap::TransferOutcome::Cut: return "cut by error";
    default: return "no completion";
  }
}

std::string Hex2(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02x", value & 0xFF);
  return text;
}

std::string Seconds(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6f", seconds);
  return text;
}

std::string LinkTypeList(const usbcap::UsbCaptureStatistics& statistics, const char* separator) {
  std::string list;
  for (std::size_t index = 0; index < statistics.linkTypes.size(); ++index)
    list += (index ? separator : "") + std::to_string(statistics.linkTypes[index]);
  return list;
}

}  // namespace

std::string FormatUsbCaptureText(const core::RasterSource& source, bool jobFound) {
  const usbcap::UsbCaptureStatistics& statistics = source.usbCapture;
  const usbcap::UsbStreamKey& job = statistics.jobStream;
  std::string text = std::string("  ") + ContainerName(statistics.container) + ", " +
                     (statistics.bigEndian ? "big-endian" : "little-endian") + ", link type " +
                     LinkTypeList(statistics, ", ") + ", " + std::to_string(statistics.interfaces) +
                     " interface(s), " + std::to_string(statistics.packets) + " packets, " +
                     std::to_string(statistics.usbRecords) + " USB records\n";
  text += "  bulk OUT streams: " + std::to_string(statistics.bulkOutStreams) + "; job: ";
  text += jobFound ? "interface " + std::to_string(job.interfaceId) + ", bus " + std::to_string(job.bus) +
                         ", device " + std::to_string(job.device) + ", endpoint " + Hex2(job.endpoint) + "\n"
                   : "none (no bulk OUT stream begins with ESC @)\n";
  text += "  transfers taken: " + std::to_string(statistics.transfersTaken) + " (" +
          std::to_string(statistics.transfersCut) + " cut by an error), dropped: " +
          std::to_string(statistics.transfersDropped) + ", gaps: " + std::to_string(statistics.gaps) + " (" +
          std::to_string(statistics.gapBytes) + " bytes missing)\n";
  if (statistics.damaged)
    text += "  reading ended at offset " + std::to_string(statistics.damagedAt) +
            ": the block or record there is not whole\n";
  if (!jobFound) return text;
  text += "       frame        time  job offset     bytes   missing  outcome\n";
  for (const usbcap::UsbTransfer& transfer : source.usbTransfers) {
    char line[160];
    std::snprintf(line, sizeof line, "  %10llu  %10s  %10llu  %8llu  %8llu  %s\n",
                  static_cast<unsigned long long>(transfer.frame), Seconds(transfer.seconds).c_str(),
                  static_cast<unsigned long long>(transfer.jobOffset),
                  static_cast<unsigned long long>(transfer.length),
                  static_cast<unsigned long long>(transfer.missing), OutcomeName(transfer.outcome));
    text += line;
  }
  return text;
}

std::string FormatUsbCaptureJson(const core::RasterSource& source, bool jobFound) {
  const usbcap::UsbCaptureStatistics& statistics = source.usbCapture;
  const usbcap::UsbStreamKey& job = statistics.jobStream;
  std::string json = std::string("{\"container\":") + JsonString(ContainerName(statistics.container)) +
                     ",\"bigEndian\":" + (statistics.bigEndian ? "true" : "false") + ",\"linkTypes\":[" +
                     LinkTypeList(statistics, ",") + "],\"interfaces\":" + std::to_string(statistics.interfaces) +
                     ",\"packets\":" + std::to_string(statistics.packets) +
                     ",\"usbRecords\":" + std::to_string(statistics.usbRecords) +
                     ",\"bulkOutStreams\":" + std::to_string(statistics.bulkOutStreams) +
                     ",\"jobStream\":" +
                     (jobFound ? "{\"interface\":" + std::to_string(job.interfaceId) +
                                     ",\"bus\":" + std::to_string(job.bus) + ",\"device\":" +
                                     std::to_string(job.device) + ",\"endpoint\":" + std::to_string(job.endpoint) + "}"
                               : std::string("null")) +
                     ",\"transfersTaken\":" + std::to_string(statistics.transfersTaken) +
                     ",\"transfersCut\":" + std::to_string(statistics.transfersCut) +
                     ",\"transfersDropped\":" + std::to_string(statistics.transfersDropped) +
                     ",\"gaps\":" + std::to_string(statistics.gaps) +
                     ",\"gapBytes\":" + std::to_string(statistics.gapBytes) +
                     ",\"damaged\":" + (statistics.damaged ? "true" : "false") +
                     ",\"damagedAt\":" + (statistics.damaged ? std::to_string(statistics.damagedAt) : "null") +
                     ",\"transfers\":[";
  for (std::size_t index = 0; index < source.usbTransfers.size(); ++index) {
    const usbcap::UsbTransfer& transfer = source.usbTransfers[index];
    json += std::string(index ? "," : "") + "{\"frame\":" + std::to_string(transfer.frame) +
            ",\"seconds\":" + Seconds(transfer.seconds) + ",\"jobOffset\":" + std::to_string(transfer.jobOffset) +
            ",\"length\":" + std::to_string(transfer.length) + ",\"missing\":" + std::to_string(transfer.missing) +
            ",\"outcome\":" + JsonString(OutcomeName(transfer.outcome)) + "}";
  }
  return json + "]}";
}

}  // namespace tesk::cli

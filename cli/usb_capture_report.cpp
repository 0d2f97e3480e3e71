#include "cli/usb_capture_report.h"

#include <cmath>
#include <cstdio>

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
          std::to_string(statistics.transfersCut) +
          " cut by an error), dropped: " + std::to_string(statistics.transfersDropped) +
          ", gaps: " + std::to_string(statistics.gaps) + " (" + std::to_string(statistics.gapBytes) +
          " bytes missing)\n";
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

Json FormatUsbCaptureJson(const core::RasterSource& source, bool jobFound) {
  const usbcap::UsbCaptureStatistics& statistics = source.usbCapture;
  const usbcap::UsbStreamKey& job = statistics.jobStream;
  Json report = Json::object();
  report["container"] = ContainerName(statistics.container);
  report["bigEndian"] = statistics.bigEndian;
  report["linkTypes"] = statistics.linkTypes;
  report["interfaces"] = statistics.interfaces;
  report["packets"] = statistics.packets;
  report["usbRecords"] = statistics.usbRecords;
  report["bulkOutStreams"] = statistics.bulkOutStreams;
  report["jobStream"] = jobFound ? Json{{"interface", job.interfaceId},
                                        {"bus", job.bus},
                                        {"device", job.device},
                                        {"endpoint", job.endpoint}}
                                 : Json(nullptr);
  report["transfersTaken"] = statistics.transfersTaken;
  report["transfersCut"] = statistics.transfersCut;
  report["transfersDropped"] = statistics.transfersDropped;
  report["gaps"] = statistics.gaps;
  report["gapBytes"] = statistics.gapBytes;
  report["damaged"] = statistics.damaged;
  report["damagedAt"] = statistics.damaged ? Json(statistics.damagedAt) : Json(nullptr);
  Json transfers = Json::array();
  for (const usbcap::UsbTransfer& transfer : source.usbTransfers) {
    transfers.push_back(
        Json{{"frame", transfer.frame},
             {"seconds", std::round(transfer.seconds * 1e6) / 1e6},  // microseconds, as the text shows
             {"jobOffset", transfer.jobOffset},
             {"length", transfer.length},
             {"missing", transfer.missing},
             {"outcome", OutcomeName(transfer.outcome)}});
  }
  report["transfers"] = std::move(transfers);
  return report;
}

}  // namespace tesk::cli

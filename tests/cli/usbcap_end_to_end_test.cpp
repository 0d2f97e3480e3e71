// tesk-cli on USB packet captures of the bundled sample job: the same job, the
// same figures as the raw dump, and --inspect's account of the transfers.

#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"
#include "tests/support/temp_folder.h"
#include "tests/usbcap/usb_capture_fixture.h"
#include "tools/usb_capture_writer.h"

namespace tesk {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::TempFolder;

std::string Shell(const std::string& command, int* status = nullptr) {
  std::string output;
  const int exitStatus = testing::RunCommand(command, &output);
  if (status) *status = exitStatus;
  return output;
}

Bytes Sample() { return testing::ReadFile(fs::path(TESK_SAMPLES_DIR) / "receipt.prn"); }

struct ToolCase {
  const char* name;
  const char* options;
};

class UsbCaptureEndToEnd : public ::testing::TestWithParam<ToolCase> {};

TEST_P(UsbCaptureEndToEnd, ConvertsLikeTheRawJob) {
  TempFolder raw;
  TempFolder captured;
  fs::copy_file(fs::path(TESK_SAMPLES_DIR) / "receipt.prn", raw / "receipt.prn");
  const fs::path capture = captured / "receipt.pcapng";
  int status = -1;
  Shell(std::string(TESK_MAKE_USBCAP_PATH) + " " + GetParam().options + " " +
            (fs::path(TESK_SAMPLES_DIR) / "receipt.prn").string() + " " + capture.string(),
        &status);
  ASSERT_EQ(status, 0);

  const std::string fromRaw = Cli("--json " + (raw / "receipt.prn").string(), &status);
  ASSERT_EQ(status, 0) << fromRaw;
  const std::string fromCapture = Cli("--json " + capture.string(), &status);
  ASSERT_EQ(status, 0) << fromCapture;
  EXPECT_EQ(FiguresOf(fromCapture), FiguresOf(fromRaw));
  EXPECT_NE(FiguresOf(fromRaw).find("\"bandCount\":20"), std::string::npos) << fromRaw;
  EXPECT_EQ(testing::ReadFile(captured / "receipt.bin"), Sample());
  EXPECT_EQ(testing::ReadFile(captured / "receipt.bmp"), testing::ReadFile(raw / "receipt.bmp"));
}

INSTANTIATE_TEST_SUITE_P(Table, UsbCaptureEndToEnd,
                         ::testing::Values(ToolCase{"PcapNgMmapped", ""},
                                           ToolCase{"PcapUsbmonBigEndian", "--pcap --link 189 --big-endian"},
                                           ToolCase{"PcapNgUsbPcapSimple",
                                                    "--link 249 --simple --urb 16384"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(UsbCaptureInspect, ListsTheTransfersAndTheGaps) {
  TempFolder folder;
  const fs::path capture = folder / "cut.pcap";
  // A snap length of 1000 bytes cuts every 4096-byte URB.
  tools::UsbCaptureWriter writer({.file = tools::CaptureFile::Pcap, .linkType = 189, .snapLength = 1000});
  writer.Add(tools::MakePrinterSession(Sample(), 4096));
  testing::WriteFile(capture, writer.Bytes());

  int status = -1;
  const std::string text = Cli("--inspect " + capture.string(), &status);
  EXPECT_EQ(status, 0) << text;
  EXPECT_NE(text.find("USB packet capture, 8568 bytes"), std::string::npos) << text.substr(0, 800);
  EXPECT_NE(text.find("pcap, little-endian, link type 189"), std::string::npos);
  EXPECT_NE(text.find("job: interface 0, bus 1, device 5, endpoint 0x02"), std::string::npos);
  EXPECT_NE(text.find("transfers taken: 9 (0 cut by an error), dropped: 0, gaps: 9 (26223 bytes missing)"),
            std::string::npos);
  EXPECT_NE(text.find("           6    0.000625           0       952      3144  completed"),
            std::string::npos);

  const std::string json = Cli("--inspect --json " + capture.string(), &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(json.find(
                "\"kind\":\"USB packet capture\",\"dataLength\":8568,\"usbCapture\":{\"container\":\"pcap\""),
            std::string::npos)
      << json.substr(0, 800);
  EXPECT_NE(
      json.find(
          "\"transfersTaken\":9,\"transfersCut\":0,\"transfersDropped\":0,\"gaps\":9,\"gapBytes\":26223"),
      std::string::npos);
  EXPECT_NE(json.find("{\"frame\":6,\"seconds\":0.000625,\"jobOffset\":0,\"length\":952,\"missing\":3144,"
                      "\"outcome\":\"completed\"}"),
            std::string::npos);
  EXPECT_EQ(Shell("python3 -c 'import json,sys; json.load(sys.stdin)' <<'EOF'\n" + json + "EOF\n", &status),
            "");
  EXPECT_EQ(status, 0) << "not valid JSON";
}

// The printer's answer to DLE EOT 1 stands among the commands, read.
TEST(UsbCaptureInspect, ListsWhatThePrinterAnswered) {
  using namespace usbcap::testing;
  std::vector<tools::UsbPacket> packets = Sent(1, testing::HexBytes("1b40 100401"));
  tools::UsbPacket answer = Complete(2, 1, 0, kPrinter, 0x81);
  answer.data = {0x12};
  answer.capturedLength = 1;
  answer.flagData = 0;
  packets.push_back(answer);
  const std::vector<tools::UsbPacket> more = Sent(3, testing::HexBytes("0a"));
  packets.insert(packets.end(), more.begin(), more.end());
  TempFolder folder;
  const fs::path capture = folder / "status.pcapng";
  testing::WriteFile(capture, CaptureOf({}, packets));

  int status = -1;
  const std::string text = Cli("--inspect " + capture.string(), &status);
  EXPECT_EQ(status, 0) << text;
  const std::size_t query = text.find("DLE EOT   real-time status 1");
  const std::size_t in = text.find("         5  12" + std::string(31, ' ') +
                                   "IN        DLE EOT 1: online (packet 3, 0.000000 s)");
  const std::size_t feed = text.find("         5  0a");
  EXPECT_NE(query, std::string::npos) << text;
  EXPECT_NE(in, std::string::npos) << text;
  EXPECT_TRUE(query < in && in < feed) << text;

  const std::string json = Cli("--inspect --json " + capture.string(), &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(json.find("\"inTransfers\":[{"), std::string::npos) << json;
  EXPECT_NE(json.find("\"meaning\":\"DLE EOT 1: online\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"frame\":3"), std::string::npos) << json;
}

TEST(UsbCaptureInspect, CaptureWithoutAJobSaysWhatItHeld) {
  TempFolder folder;
  const fs::path capture = folder / "decoy.pcapng";
  // The job's URBs all fail; only the decoy device's data were sent.
  tools::UsbCaptureWriter writer({});
  for (tools::UsbPacket packet : tools::MakePrinterSession(Sample(), 4096)) {
    if (packet.device == 5 && packet.transferType == 3 && packet.event == 'C') packet.event = 'E';
    writer.Add(packet);
  }
  testing::WriteFile(capture, writer.Bytes());
  int status = -1;
  const std::string text = Cli("--inspect " + capture.string(), &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(text.find("数据文件无效!"), std::string::npos) << text;
  EXPECT_NE(text.find("bulk OUT streams: 2; job: none (no bulk OUT stream begins with ESC @)"),
            std::string::npos)
      << text;
  const std::string json = Cli("--inspect --json " + capture.string(), &status);
  EXPECT_EQ(status, 1);
  EXPECT_NE(json.find("\"bulkOutStreams\":2,\"jobStream\":null,\"transfersTaken\":0"), std::string::npos)
      << json;
}

}  // namespace
}  // namespace tesk

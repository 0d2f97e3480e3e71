#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <future>
#include <map>
#include <thread>
#include <vector>

#include "core/conversion_run.h"
#include "tests/live/live_client.h"

namespace tesk::live {
namespace {

using testing::Bytes;
using testing::HexBytes;

Bytes SampleJob() { return testing::ReadFile(std::filesystem::path(TESK_SAMPLES_DIR) / "receipt.prn"); }

Bytes Joined(Bytes first, const Bytes& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

// The sample job with a line of text that tells one job from another.
Bytes TaggedJob(int client, int job) {
  const std::string tag = "client " + std::to_string(client) + " job " + std::to_string(job) + "\n";
  return Joined(SampleJob(), Bytes(tag.begin(), tag.end()));
}

// job-YYYYMMDD-HHMMSS-N.prn
bool IsJobFileName(const std::string& name) {
  const auto digits = [&](std::size_t from, std::size_t count) {
    return from + count <= name.size() && std::all_of(name.begin() + from, name.begin() + from + count,
                                                      [](char c) { return c >= '0' && c <= '9'; });
  };
  const std::size_t end = name.size() - 4;
  return name.size() >= 25 && name.starts_with("job-") && digits(4, 8) && name[12] == '-' && digits(13, 6) &&
         name[19] == '-' && digits(20, end - 20) && name.ends_with(".prn");
}

class PrintServerTest : public ::testing::Test, public LiveServerFixture {};

TEST_F(PrintServerTest, SavesOneJobByteForByteUnderATimeName) {
  Start(Settings());
  ASSERT_TRUE(SendJob(Port(), SampleJob()));
  const JobReport job = NextJob();
  EXPECT_EQ(job.number, 1u);
  EXPECT_EQ(job.end, JobEnd::SenderClosed);
  EXPECT_FALSE(job.incomplete);
  EXPECT_EQ(job.saveError, 0);
  EXPECT_EQ(job.bytes, SampleJob().size());
  EXPECT_EQ(job.path.parent_path(), Folder());
  EXPECT_TRUE(IsJobFileName(job.path.filename().string())) << job.path;
  EXPECT_EQ(testing::ReadFile(job.path), SampleJob());
  EXPECT_TRUE(job.peer.starts_with("127.0.0.1:")) << job.peer;
  EXPECT_TRUE(Stop().empty());
}

TEST_F(PrintServerTest, AnswersStatusQueriesAndSavesNothingForThemAlone) {
  Start(Settings());
  {
    LiveClient poller(Port());
    ASSERT_TRUE(poller.Send(HexBytes("10 04 01 10 04 04 1d 72 01 1d 49 43")));
    const PrinterStatusAnswers answers;
    const std::string model = answers.modelName;
    Bytes expected = HexBytes("12 12 00 5f");
    expected.insert(expected.end(), model.begin(), model.end());
    expected.push_back(0);
    EXPECT_EQ(poller.Receive(expected.size()), expected);
  }
  {
    // A job that asks for the paper before printing gets its answer and is saved whole.
    LiveClient printing(Port());
    ASSERT_TRUE(printing.Send(HexBytes("1b 40 10 04 04")));
    EXPECT_EQ(printing.Receive(1), HexBytes("12"));
    ASSERT_TRUE(printing.Send(HexBytes("41 0a")));
  }
  const JobReport job = NextJob();
  EXPECT_EQ(job.number, 1u) << "the query-only connection counted as a job";
  EXPECT_EQ(job.queriesAnswered, 1u);
  EXPECT_EQ(testing::ReadFile(job.path), HexBytes("1b 40 10 04 04 41 0a"));
  EXPECT_TRUE(Stop().empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder()), {}), 1);
}

TEST_F(PrintServerTest, TwoHundredJobsFromTwentyConcurrentSendersAreAllSavedAndConverted) {
  constexpr int kClients = 20;
  constexpr int kJobsEach = 10;
  Start(Settings());  // 16 connections at a time: the others wait in the backlog
  std::vector<std::thread> clients;
  std::vector<int> failures(kClients, 0);
  for (int client = 0; client < kClients; ++client)
    clients.emplace_back([&, client] {
      for (int job = 0; job < kJobsEach; ++job)
        if (!SendJob(Port(), TaggedJob(client, job))) ++failures[client];
    });
  std::vector<JobReport> jobs;
  for (int count = 0; count < kClients * kJobsEach && !HasFailure(); ++count) jobs.push_back(NextJob());
  for (auto& client : clients) client.join();
  EXPECT_EQ(std::count(failures.begin(), failures.end(), 0), kClients);
  EXPECT_TRUE(Stop().empty());

  std::map<Bytes, int> sent;
  for (int client = 0; client < kClients; ++client)
    for (int job = 0; job < kJobsEach; ++job) ++sent[TaggedJob(client, job)];
  std::vector<std::uint64_t> numbers;
  core::RasterSource source;
  image::DibImage image;
  for (const JobReport& job : jobs) {
    numbers.push_back(job.number);
    EXPECT_FALSE(job.incomplete);
    EXPECT_EQ(--sent[testing::ReadFile(job.path)], 0)
        << job.path << " is no job that was sent, or a second copy";
    core::RunFigures figures;
    EXPECT_FALSE(core::RunConversion(job.path, core::RunOptions{}, figures, source, image)) << job.path;
    EXPECT_TRUE(figures.imageReady);
  }
  std::sort(numbers.begin(), numbers.end());
  EXPECT_EQ(std::adjacent_find(numbers.begin(), numbers.end()), numbers.end());
  EXPECT_EQ(numbers.back(), std::uint64_t{kClients * kJobsEach});
}

TEST_F(PrintServerTest, AnOpenConnectionHoldsNoOtherJobUpAndIsSavedWhenTheServerStops) {
  Start(Settings());
  LiveClient halfOpen(Port());
  ASSERT_TRUE(halfOpen.Send(HexBytes("1b 40 41 42 10 04 01")));
  ASSERT_EQ(halfOpen.Receive(1), HexBytes("12"));  // the server has every byte so far
  LiveClient silent(Port());
  ASSERT_TRUE(silent.IsConnected());

  ASSERT_TRUE(SendJob(Port(), SampleJob()));
  const JobReport other = NextJob();
  EXPECT_EQ(testing::ReadFile(other.path), SampleJob());

  const std::vector<JobReport> stopped = Stop();
  ASSERT_EQ(stopped.size(), 1u) << "the silent connection is no job";
  EXPECT_EQ(stopped[0].end, JobEnd::ServerStopped);
  EXPECT_TRUE(stopped[0].incomplete);
  EXPECT_EQ(testing::ReadFile(stopped[0].path), HexBytes("1b 40 41 42 10 04 01"));
  EXPECT_TRUE(halfOpen.ReceiveUntilClosed().empty());
}

TEST_F(PrintServerTest, ASenderThatFallsSilentEndsItsJobAfterTheIdleTime) {
  ServerSettings settings = Settings();
  settings.idleMilliseconds = 200;
  Start(settings);
  LiveClient sender(Port());
  ASSERT_TRUE(sender.Send(HexBytes("1b 40 41 0a")));
  const JobReport job = NextJob();
  EXPECT_EQ(job.end, JobEnd::IdleTimeout);
  EXPECT_FALSE(job.incomplete);
  EXPECT_EQ(testing::ReadFile(job.path), HexBytes("1b 40 41 0a"));
  EXPECT_TRUE(sender.ReceiveUntilClosed().empty());  // and the connection was closed
  EXPECT_TRUE(Stop().empty());
}

TEST_F(PrintServerTest, AJobOverTheCapKeepsWhatArrivedUpToIt) {
  ServerSettings settings = Settings();
  settings.jobByteCap = 1024 * 1024;
  Start(settings);
  Bytes big(3 * settings.jobByteCap, 'x');
  big[0] = 0x1B;
  big[1] = '@';
  {
    LiveClient sender(Port());
    sender.Send(big);  // may fail once the server closes
  }
  const JobReport job = NextJob();
  EXPECT_EQ(job.end, JobEnd::OverCap);
  EXPECT_TRUE(job.incomplete);
  EXPECT_EQ(job.bytes, settings.jobByteCap);
  EXPECT_EQ(testing::ReadFile(job.path), Bytes(big.begin(), big.begin() + settings.jobByteCap));
  // The server goes on taking jobs.
  ASSERT_TRUE(SendJob(Port(), SampleJob()));
  EXPECT_EQ(NextJob().end, JobEnd::SenderClosed);
  EXPECT_TRUE(Stop().empty());
}

TEST_F(PrintServerTest, ASenderThatBreaksOffLeavesItsBytesSavedAndMarkedIncomplete) {
  Start(Settings());
  const Bytes start = HexBytes("1b 40 41 10 04 01");
  const Bytes cutBand = HexBytes("1d 76 30 00 02 00 08 00 ff ff");
  {
    // No query here: a sender that closes with answers unread resets instead.
    LiveClient closesMidBand(Port());
    ASSERT_TRUE(closesMidBand.Send(Joined(HexBytes("1b 40 41"), cutBand)));
  }
  const JobReport closed = NextJob();
  EXPECT_EQ(closed.end, JobEnd::SenderClosed);
  EXPECT_TRUE(closed.incomplete);
  EXPECT_EQ(testing::ReadFile(closed.path), Joined(HexBytes("1b 40 41"), cutBand));

  {
    LiveClient resets(Port());
    ASSERT_TRUE(resets.Send(start));
    ASSERT_EQ(resets.Receive(1), HexBytes("12"));
    ASSERT_TRUE(resets.Send(cutBand));
    resets.Reset();
  }
  const JobReport reset = NextJob();
  EXPECT_TRUE(reset.incomplete);
  const Bytes saved = testing::ReadFile(reset.path);
  const Bytes sent = Joined(start, cutBand);
  ASSERT_GE(saved.size(), start.size());
  EXPECT_TRUE(std::equal(saved.begin(), saved.end(), sent.begin())) << "not a prefix of what was sent";
  EXPECT_TRUE(Stop().empty());
}

// A job of dot rows in bands of 72 x 255 bytes, made piece by piece so that
// neither sender nor test holds it whole.
class BigJob {
 public:
  explicit BigJob(std::uint64_t bands) : bands_(bands) {}
  static constexpr std::uint64_t kBandBytes = 8 + 72 * 255;
  Bytes Start() const { return HexBytes("1b 40 10 04 01"); }
  Bytes Band(std::uint64_t band) const {
    Bytes bytes = HexBytes("1d 76 30 00 48 00 ff 00");
    for (std::uint64_t index = 0; index < kBandBytes - 8; ++index)
      bytes.push_back(static_cast<std::uint8_t>(band * 7 + index));
    return bytes;
  }
  std::uint64_t Bands() const { return bands_; }
  std::uint64_t Size() const { return Start().size() + bands_ * kBandBytes; }

 private:
  std::uint64_t bands_;
};

std::uint64_t BigJobMegabytes() {
  // 300 MB by default; a slow machine may ask for less.
  const char* text = std::getenv("TESK_LIVE_BIG_JOB_MB");
  return text ? std::strtoull(text, nullptr, 10) : 300;
}

TEST_F(PrintServerTest, AJobOfHundredsOfMegabytesHoldsNoOtherUpAndIsSavedWhole) {
  ServerSettings settings = Settings();
  settings.jobByteCap = kLargestJobByteCap;
  Start(settings);
  const BigJob big(BigJobMegabytes() * 1000 * 1000 / BigJob::kBandBytes);
  std::promise<void> othersDone;
  std::promise<bool> bigSent;
  std::thread bigSender([&] {
    LiveClient sender(Port());
    bool sentAll = sender.Send(big.Start()) && sender.Receive(1) == HexBytes("12");
    for (std::uint64_t band = 0; band + 1 < big.Bands() && sentAll; ++band)
      sentAll = sender.Send(big.Band(band));
    bigSent.set_value(sentAll);
    // The last band only once the others are through: they did not wait for this job.
    othersDone.get_future().wait_for(std::chrono::milliseconds(kPatience));
    if (sentAll) sender.Send(big.Band(big.Bands() - 1));
  });
  auto bigSentResult = bigSent.get_future();
  for (int job = 0; job < 5; ++job) {
    ASSERT_TRUE(SendJob(Port(), TaggedJob(0, job)));
    EXPECT_EQ(testing::ReadFile(NextJob().path), TaggedJob(0, job));
  }
  othersDone.set_value();
  bigSender.join();
  ASSERT_TRUE(bigSentResult.get());

  const JobReport job = NextJob();
  EXPECT_EQ(job.end, JobEnd::SenderClosed);
  EXPECT_FALSE(job.incomplete);
  ASSERT_EQ(job.bytes, big.Size());
  std::ifstream saved(job.path, std::ios::binary);
  Bytes piece(big.Start().size());
  saved.read(reinterpret_cast<char*>(piece.data()), piece.size());
  ASSERT_EQ(piece, big.Start());
  for (std::uint64_t band = 0; band < big.Bands(); ++band) {
    piece.resize(BigJob::kBandBytes);
    saved.read(reinterpret_cast<char*>(piece.data()), piece.size());
    ASSERT_EQ(piece, big.Band(band)) << "band " << band;
  }
  EXPECT_TRUE(Stop().empty());
}

}  // namespace
}  // namespace tesk::live

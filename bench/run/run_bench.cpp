// tesk_bench_run: the whole conversion through tesk-cli against the chain of
// outside tools a user would otherwise run for the same files: `zip -8` of the
// job, and netpbm's `pnmtopng` and `ppmtobmp` on a PBM of the same dots.
//
//   tesk_bench_run [--raw-megabytes 64] [--capture-megabytes 40] [--repeat 3]
//                  [--cli PATH] [--keep-files]
//
// Two inputs: a raw receipt job of that many MiB of dot data (576 dots wide),
// and the Bus Hound capture text of a job of that many MB. Ours and theirs
// run alternately, so that a busy machine slows both alike, and the medians
// are compared. Peak memory is each side's largest resident set, as
// /usr/bin/time reports it. `--cli` measures another build of tesk-cli (an
// older one, say) against the same chain.

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "core/band_geometry.h"
#include "core/conversion_run.h"
#include "core/raster_source.h"
#include "image/bmp_file.h"
#include "image/dib_image.h"
#include "image/png_file.h"
#include "platform/output_file.h"
#include "tools/capture_text.h"
#include "tools/sample_job.h"
#include "zip/zip_writer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kWidthBytes = 72;  // 576 dots
constexpr int kBandHeight = 24;
constexpr double kMebibyte = 1024.0 * 1024.0;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct ChildRun {
  bool ok = false;
  double seconds = 0;
  long peakKilobytes = 0;
};

// Runs a program under /usr/bin/time, its standard output into `output` (or
// thrown away). The peak is read from time's report: a child forked from this
// process directly would be charged with the generator's memory as well.
ChildRun RunChild(const std::vector<std::string>& arguments, const fs::path& report,
                  const fs::path& output = "/dev/null") {
  std::vector<std::string> timed = {"/usr/bin/time", "-f", "%M", "-o", report.string()};
  timed.insert(timed.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : timed) argv.push_back(argument.data());
  argv.push_back(nullptr);

  ChildRun run;
  const Clock::time_point start = Clock::now();
  const pid_t child = ::fork();
  if (child < 0) return run;
  if (child == 0) {
    const int out = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) ::dup2(out, STDOUT_FILENO);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return run;
  run.seconds = SecondsSince(start);
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  std::ifstream(report) >> run.peakKilobytes;
  return run;
}

struct Side {
  std::vector<double> seconds;
  long peakKilobytes = 0;
  bool ok = true;

  void Add(const ChildRun& run) {
    seconds.push_back(run.seconds);
    peakKilobytes = std::max(peakKilobytes, run.peakKilobytes);
    ok = ok && run.ok;
  }
  double Median() const {
    std::vector<double> sorted = seconds;
    std::sort(sorted.begin(), sorted.end());
    if (sorted.empty()) return 0;
    const std::size_t middle = sorted.size() / 2;
    return sorted.size() % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
  }
};

// The files a user would have the chain make: the job zipped, the PNG and the BMP.
ChildRun RunChain(const fs::path& job, const fs::path& pbm, const fs::path& folder) {
  const fs::path report = folder / "time.txt";
  const fs::path theirZip = folder / "their.zip";
  fs::remove(theirZip);
  ChildRun total;
  total.ok = true;
  for (const ChildRun& step :
       {RunChild({"/usr/bin/zip", "-8", "-q", "-j", theirZip.string(), job.string()}, report),
        RunChild({"/usr/bin/pnmtopng", pbm.string()}, report, folder / "their.png"),
        RunChild({"/usr/bin/ppmtobmp", "-quiet", pbm.string()}, report, folder / "their.bmp")}) {
    total.ok = total.ok && step.ok;
    total.seconds += step.seconds;
    total.peakKilobytes = std::max(total.peakKilobytes, step.peakKilobytes);
  }
  return total;
}

void WriteBytes(const fs::path& path, std::string_view header, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(header.data(), static_cast<std::streamsize>(header.size()));
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WritePbm(const fs::path& path, const tesk::tools::DotPicture& picture) {
  const std::string header =
      "P4\n" + std::to_string(8 * picture.widthBytes) + " " + std::to_string(picture.height) + "\n";
  WriteBytes(path, header, picture.rows);
}

int RowsForDotBytes(std::int64_t dotBytes) {
  const std::int64_t bandBytes = std::int64_t{kWidthBytes} * kBandHeight;
  return static_cast<int>((dotBytes + bandBytes - 1) / bandBytes * kBandHeight);
}

struct Stage {
  const char* name;
  double seconds;
};

// The run's stages called one by one on one thread, to show where the time goes.
std::vector<Stage> TimeStages(const fs::path& input) {
  using namespace tesk;
  std::vector<Stage> stages;
  core::RasterSource source;
  image::DibImage image;
  fs::path path = input;
  const fs::path base = core::OutputBase(path);

  Clock::time_point start = Clock::now();
  source.Load(path);
  stages.push_back({"load", SecondsSince(start)});

  start = Clock::now();
  if (const zip::ScopedZipWriter writer{zip::ZipWriterCreate(core::OutputPath(base, "bin.zip"))})
    zip::ZipWriterAddFile(writer.get(), path.filename().string(), path);
  stages.push_back({"bin.zip", SecondsSince(start)});

  start = Clock::now();
  std::int32_t mode = 0;
  std::int32_t widthBytes = 0;
  std::int32_t bandHeight = 0;
  source.ReadBandHeader(mode, widthBytes, bandHeight);
  const std::uint8_t* pureData = nullptr;
  std::int64_t pureLength = 0;
  source.GatherPureData(pureData, pureLength);
  const core::BandGeometry geometry = core::ComputeBandGeometry(mode, widthBytes, bandHeight, pureLength);
  const std::span<const std::uint8_t> pure(pureData, static_cast<std::size_t>(pureLength));
  stages.push_back({"pure data", SecondsSince(start)});

  start = Clock::now();
  {
    platform::OutputFile dat = platform::OutputFile::Create(core::OutputPath(base, ".dat"));
    dat.Write(pure);
    dat.Close();
  }
  stages.push_back({".dat", SecondsSince(start)});

  const image::PictureGeometry picture = {geometry.widthBytes, geometry.bitmapWidth, geometry.bitmapHeight,
                                          geometry.rowStride, geometry.pixelBytes};
  start = Clock::now();
  image::BuildDibImage(image, pure, picture, false);
  stages.push_back({"DIB", SecondsSince(start)});

  start = Clock::now();
  image::WriteBmpFile(image, core::OutputPath(base, ".bmp"));
  stages.push_back({".bmp", SecondsSince(start)});

  start = Clock::now();
  image::WritePngFile(pure, picture, core::OutputPath(base, ".png"));
  stages.push_back({".png", SecondsSince(start)});
  return stages;
}

struct Comparison {
  Side ours;
  Side theirs;
};

Comparison Alternate(int repeat, const fs::path& cli, const fs::path& input, const fs::path& job,
                     const fs::path& pbm, const fs::path& folder) {
  Comparison comparison;
  for (int attempt = 0; attempt < repeat; ++attempt) {
    comparison.ours.Add(RunChild({cli.string(), "--keep", "all", input.string()}, folder / "time.txt"));
    comparison.theirs.Add(RunChain(job, pbm, folder));
  }
  return comparison;
}

// Returns false when a run failed.
bool PrintComparison(const Comparison& comparison, double jobBytes) {
  const double ours = comparison.ours.Median();
  const double theirs = comparison.theirs.Median();
  auto row = [jobBytes](const char* name, const Side& side) {
    const double peak = static_cast<double>(side.peakKilobytes) * 1024.0;
    std::printf("  %-34s %8.3f s median of %zu  peak %7.1f MiB = %.2f x the job%s\n", name, side.Median(),
                side.seconds.size(), peak / kMebibyte, peak / jobBytes, side.ok ? "" : "  FAILED");
  };
  row("tesk-cli --keep all", comparison.ours);
  row("zip -8 + pnmtopng + ppmtobmp", comparison.theirs);
  std::printf("  ours / theirs = %.3f\n", theirs > 0 ? ours / theirs : 0.0);
  return comparison.ours.ok && comparison.theirs.ok;
}

void RemoveFiles(const fs::path& folder) {
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.is_regular_file()) fs::remove(entry.path());
}

}  // namespace

int main(int argc, char** argv) {
  double rawMegabytes = 64;
  double captureMegabytes = 40;
  int repeat = 3;
  bool keepFiles = false;
  fs::path cli = TESK_CLI_PATH;
  for (int index = 1; index < argc; ++index) {
    const std::string argument = argv[index];
    const bool hasValue = index + 1 < argc;
    if (argument == "--raw-megabytes" && hasValue) {
      rawMegabytes = std::atof(argv[++index]);
    } else if (argument == "--capture-megabytes" && hasValue) {
      captureMegabytes = std::atof(argv[++index]);
    } else if (argument == "--repeat" && hasValue) {
      repeat = std::max(1, std::atoi(argv[++index]));
    } else if (argument == "--cli" && hasValue) {
      cli = argv[++index];
    } else if (argument == "--keep-files") {
      keepFiles = true;
    } else {
      std::cerr << "usage: tesk_bench_run [--raw-megabytes 64] [--capture-megabytes 40] "
                   "[--repeat 3] [--cli PATH] [--keep-files]\n";
      return 2;
    }
  }

  std::string pattern = (fs::temp_directory_path() / "tesk-bench-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path folder = pattern;
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::printf("tesk-cli: %s\nwork:     %s\nruns alternate, %d of each side; the machine may be shared\n",
              cli.c_str(), folder.c_str(), repeat);
  bool ok = true;

  if (rawMegabytes > 0) {
    const fs::path job = folder / "job.prn";
    const fs::path pbm = folder / "job.pbm";
    {
      const auto picture =
          tesk::tools::MakeReceiptPicture(kWidthBytes, RowsForDotBytes(static_cast<std::int64_t>(
                                                           rawMegabytes * kMebibyte)));
      WriteBytes(job, {}, tesk::tools::BuildFixedLayoutJob(picture, kBandHeight));
      WritePbm(pbm, picture);
    }
    const double jobBytes = static_cast<double>(fs::file_size(job));
    std::printf("\nraw job: %.0f MiB of dot data, job %.1f MiB\n", rawMegabytes, jobBytes / kMebibyte);
    {
      // On a copy in a folder of its own, so the outputs do not mix with the runs' below.
      const fs::path stagesFolder = folder / "stages";
      fs::create_directory(stagesFolder);
      fs::copy_file(job, stagesFolder / job.filename());
      for (const Stage& stage : TimeStages(stagesFolder / job.filename()))
        std::printf("  one thread, stage %-16s %8.3f s\n", stage.name, stage.seconds);
      fs::remove_all(stagesFolder);
    }
    ok = PrintComparison(Alternate(repeat, cli, job, job, pbm, folder), jobBytes) && ok;
    if (!keepFiles) RemoveFiles(folder);
  }

  if (captureMegabytes > 0) {
    const fs::path capture = folder / "capture.txt";
    const fs::path job = folder / "capture-job.bin";
    const fs::path pbm = folder / "capture-job.pbm";
    {
      const int bandBytes = kWidthBytes * kBandHeight;
      const int bands = std::max(1, static_cast<int>(captureMegabytes * 1e6 / (bandBytes + 11)));
      const auto picture = tesk::tools::MakeReceiptPicture(kWidthBytes, bands * kBandHeight);
      std::vector<tesk::tools::CaptureTransfer> transfers;
      transfers.push_back({"OUT", tesk::tools::BuildFixedLayoutJob(picture, kBandHeight), ""});
      WriteBytes(job, {}, transfers.front().bytes);
      WritePbm(pbm, picture);
      std::ofstream text(capture, std::ios::binary);
      tesk::tools::WriteCaptureText(tesk::tools::CaptureLayout{}, transfers, [&text](std::string_view piece) {
        text.write(piece.data(), static_cast<std::streamsize>(piece.size()));
      });
    }
    const double jobBytes = static_cast<double>(fs::file_size(job));
    const double textBytes = static_cast<double>(fs::file_size(capture));
    std::printf("\ncapture text: %.1f MB of text for a job of %.1f MB\n", textBytes / 1e6, jobBytes / 1e6);
    const Comparison comparison = Alternate(repeat, cli, capture, job, pbm, folder);
    ok = PrintComparison(comparison, jobBytes) && ok;
    std::printf("  ours: %.1f MB/s of text end to end\n", textBytes / comparison.ours.Median() / 1e6);
    if (!keepFiles) RemoveFiles(folder);
  }

  if (!keepFiles) fs::remove_all(folder);
  return ok ? 0 : 1;
}

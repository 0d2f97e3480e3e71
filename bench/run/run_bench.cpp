// tesk_bench_run: the whole conversion of generated receipt jobs, stage by
// stage and end to end through tesk-cli, against the outside tools a user
// would otherwise chain for the same files (ImageMagick's convert from a PBM
// of the same dots to BMP and to PNG, and zip -8 of the job).
//
//   tesk_bench_run [--sizes 1,16,64] [--repeat N] [--keep-files]
//
// Sizes are megabytes (MiB) of dot data, 576 dots wide. Ours takes about a
// second at 64 MiB; convert takes tens of minutes there, so the whole run
// with the default sizes lasts most of an hour.

#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/band_geometry.h"
#include "core/conversion_run.h"
#include "core/raster_source.h"
#include "image/bmp_file.h"
#include "image/dib_image.h"
#include "image/png_encoding.h"
#include "image/png_file.h"
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "tools/sample_job.h"
#include "zip/zip_writer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kWidthBytes = 72;  // 576 dots
constexpr int kBandHeight = 24;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct ChildRun {
  bool ok = false;
  double seconds = 0;
  long peakKilobytes = 0;
};

// Runs a program with its output thrown away, measuring wall time and the
// child's peak resident memory.
ChildRun RunChild(const std::vector<std::string>& arguments,
                  const std::vector<std::string>& extraEnvironment = {}) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  std::vector<std::string> environment(extraEnvironment);
  for (char** variable = environ; *variable; ++variable) environment.emplace_back(*variable);
  std::vector<char*> envp;
  for (std::string& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);

  // fork, not posix_spawn: a child that shares our memory until exec would be
  // charged with our own peak, and the peak of the child is what is measured.
  // The child starts out charged with what we hold at the fork, so give the
  // freed buffers of the stage timings back to the system first.
  ::malloc_trim(0);
  ChildRun run;
  const Clock::time_point start = Clock::now();
  const pid_t child = ::fork();
  if (child < 0) return run;
  if (child == 0) {
    const int devNull = ::open("/dev/null", O_WRONLY);
    if (devNull >= 0) ::dup2(devNull, STDOUT_FILENO);
    ::execvpe(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  if (::wait4(child, &status, 0, &usage) != child) return run;
  run.seconds = SecondsSince(start);
  run.peakKilobytes = usage.ru_maxrss;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

ChildRun BestOf(int repeat, const std::function<ChildRun()>& once) {
  ChildRun best;
  for (int attempt = 0; attempt < repeat; ++attempt) {
    const ChildRun run = once();
    if (!run.ok) return run;
    if (attempt == 0 || run.seconds < best.seconds) best = run;
  }
  return best;
}

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& header,
                const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// ImageMagick as the distribution installs it; TESK_BENCH_CONVERT overrides.
std::string ConvertProgram() {
  if (const char* chosen = std::getenv("TESK_BENCH_CONVERT")) return chosen;
  for (const char* candidate : {"/usr/bin/convert-im6.q16", "/usr/bin/convert"})
    if (::access(candidate, X_OK) == 0) return candidate;
  return "convert";
}

// The distribution's policy refuses pictures over 16K rows, and every job
// here but the smallest is taller; this one lets convert do the work, in
// memory up to 2 GiB and on disk beyond, as a user who raised the limits would.
fs::path WriteConvertPolicy(const fs::path& folder) {
  const fs::path policyFolder = folder / "imagemagick";
  fs::create_directories(policyFolder);
  std::ofstream(policyFolder / "policy.xml")
      << "<policymap>\n"
         "  <policy domain=\"resource\" name=\"width\" value=\"1MP\"/>\n"
         "  <policy domain=\"resource\" name=\"height\" value=\"16MP\"/>\n"
         "  <policy domain=\"resource\" name=\"area\" value=\"16GP\"/>\n"
         "  <policy domain=\"resource\" name=\"memory\" value=\"2GiB\"/>\n"
         "  <policy domain=\"resource\" name=\"map\" value=\"2GiB\"/>\n"
         "  <policy domain=\"resource\" name=\"disk\" value=\"32GiB\"/>\n"
         "</policymap>\n";
  return policyFolder;
}

struct Stage {
  const char* name;
  double seconds;
};

// The run's stages, called one by one as the run calls them, on the same files.
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
  if (zip::ZipHandle* handle = zip::ZipWriterCreate(core::OutputPath(base, "bin.zip"))) {
    zip::ZipWriterAddFile(handle, path.filename().string(), path);
    zip::ZipWriterClose(handle);
  }
  stages.push_back({"bin.zip", SecondsSince(start)});

  start = Clock::now();
  std::int32_t mode = 0;
  std::int32_t widthBytes = 0;
  std::int32_t bandHeight = 0;
  source.ReadBandHeader(mode, widthBytes, bandHeight);
  const std::uint8_t* pureData = nullptr;
  std::int64_t pureLength = 0;
  source.GatherPureData(pureData, pureLength);
  const core::BandGeometry geometry =
      core::ComputeBandGeometry(mode, widthBytes, bandHeight, pureLength);
  const std::span<const std::uint8_t> pure(pureData, static_cast<std::size_t>(pureLength));
  stages.push_back({"pure data", SecondsSince(start)});

  start = Clock::now();
  {
    platform::OutputFile dat = platform::OutputFile::Create(core::OutputPath(base, ".dat"));
    dat.Write(pure);
    dat.Close();
  }
  stages.push_back({".dat", SecondsSince(start)});

  const image::PictureGeometry picture = {geometry.widthBytes, geometry.bitmapWidth,
                                          geometry.bitmapHeight, geometry.rowStride,
                                          geometry.pixelBytes};
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

long OwnPeakKilobytes() {
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

std::vector<int> ParseSizes(const std::string& text) {
  std::vector<int> sizes;
  std::stringstream stream(text);
  for (std::string item; std::getline(stream, item, ',');) sizes.push_back(std::stoi(item));
  return sizes;
}

std::string SizeText(const fs::path& path) {
  std::error_code error;
  const auto size = fs::file_size(path, error);
  return error ? std::string("none") : std::to_string(size);
}

void PrintRow(const std::string& name, const ChildRun& run) {
  std::printf("  %-28s %9.3f s  %8.1f MiB peak%s\n", name.c_str(), run.seconds,
              static_cast<double>(run.peakKilobytes) / 1024.0, run.ok ? "" : "  FAILED");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes = {1, 16, 64};
  int repeat = 1;
  bool keepFiles = false;
  for (int index = 1; index < argc; ++index) {
    const std::string argument = argv[index];
    if (argument == "--sizes" && index + 1 < argc) {
      sizes = ParseSizes(argv[++index]);
    } else if (argument == "--repeat" && index + 1 < argc) {
      repeat = std::max(1, std::atoi(argv[++index]));
    } else if (argument == "--keep-files") {
      keepFiles = true;
    } else {
      std::cerr << "usage: tesk_bench_run [--sizes 1,16,64] [--repeat N] [--keep-files]\n";
      return 2;
    }
  }

  std::string pattern = (fs::temp_directory_path() / "tesk-bench-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  const fs::path folder = pattern;
  const fs::path policy = WriteConvertPolicy(folder);
  const std::vector<std::string> convertEnvironment = {"MAGICK_CONFIGURE_PATH=" + policy.string()};
  const std::string convert = ConvertProgram();
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  std::printf("tesk-cli: %s\nconvert:  %s\nwork:     %s\n", TESK_CLI_PATH, convert.c_str(),
              folder.c_str());

  bool allFaster = true;
  for (const int megabytes : sizes) {
    const std::int64_t dotBytes = std::int64_t{megabytes} * 1024 * 1024;
    const std::int64_t bandBytes = std::int64_t{kWidthBytes} * kBandHeight;
    const int height = static_cast<int>((dotBytes + bandBytes - 1) / bandBytes * kBandHeight);
    const fs::path job = folder / ("job" + std::to_string(megabytes) + ".prn");
    const fs::path pbm = folder / ("job" + std::to_string(megabytes) + ".pbm");
    {
      const auto pictureDots = tesk::tools::MakeReceiptPicture(kWidthBytes, height);
      WriteBytes(job, {}, tesk::tools::BuildFixedLayoutJob(pictureDots, kBandHeight));
      const std::string header = "P4\n" + std::to_string(8 * kWidthBytes) + " " +
                                 std::to_string(height) + "\n";
      WriteBytes(pbm, std::vector<std::uint8_t>(header.begin(), header.end()), pictureDots.rows);
    }
    std::printf("\n%d MiB of dot data: 576 x %d dots, job %.1f MiB\n", megabytes, height,
                static_cast<double>(fs::file_size(job)) / (1024.0 * 1024.0));

    // Ours, in process: the stages as the run calls them.
    const std::vector<Stage> stages = TimeStages(job);
    double stageTotal = 0;
    for (const Stage& stage : stages) {
      std::printf("  stage %-22s %9.3f s\n", stage.name, stage.seconds);
      stageTotal += stage.seconds;
    }
    std::printf("  stages together              %9.3f s\n", stageTotal);

    // Ours, end to end: one tesk-cli run writing and keeping every output.
    const ChildRun ours = BestOf(repeat, [&] {
      return RunChild({TESK_CLI_PATH, "--keep", "all", job.string()});
    });
    PrintRow("tesk-cli (all outputs)", ours);

    // Theirs: the same files by the usual tools.
    const fs::path theirBmp = folder / "their.bmp";
    const fs::path theirPng = folder / "their.png";
    const fs::path theirZip = folder / "their.zip";
    const ChildRun toBmp = BestOf(repeat, [&] {
      // Without the two colours asked for, convert writes 24 bits a pixel;
      // "+dither" keeps it from spending time on a picture that has only two.
      return RunChild({convert, pbm.string(), "+dither", "-colors", "2",
                       "BMP3:" + theirBmp.string()},
                      convertEnvironment);
    });
    PrintRow("convert PBM -> BMP", toBmp);
    const ChildRun toPng = BestOf(repeat, [&] {
      return RunChild({convert, pbm.string(), theirPng.string()}, convertEnvironment);
    });
    PrintRow("convert PBM -> PNG", toPng);
    const ChildRun zipped = BestOf(repeat, [&] {
      fs::remove(theirZip);
      return RunChild({"zip", "-8", "-q", "-j", theirZip.string(), job.string()});
    });
    PrintRow("zip -8 job", zipped);

    const double theirs = toBmp.seconds + toPng.seconds + zipped.seconds;
    const bool comparable = ours.ok && toBmp.ok && toPng.ok && zipped.ok;
    std::printf("  ours %.3f s / theirs %.3f s = %.3f%s\n", ours.seconds, theirs,
                theirs > 0 ? ours.seconds / theirs : 0.0, comparable ? "" : "  (a run failed)");
    const std::string stem = "job" + std::to_string(megabytes);
    std::printf("  file sizes: ours bmp %s png %s bin.zip %s; theirs bmp %s png %s zip %s\n",
                SizeText(folder / (stem + ".bmp")).c_str(),
                SizeText(folder / (stem + ".png")).c_str(),
                SizeText(folder / (stem + "bin.zip")).c_str(), SizeText(theirBmp).c_str(),
                SizeText(theirPng).c_str(), SizeText(theirZip).c_str());
    if (!fs::exists(folder / (stem + "bin.zip")))
      std::printf("  (this build writes no bin.zip: the total lacks the archive stage)\n");
    // The pictures alone: our three picture stages against the two conversions.
    double ourPictures = 0;
    for (const Stage& stage : stages)
      if (std::string(stage.name) == "DIB" || std::string(stage.name) == ".bmp" ||
          std::string(stage.name) == ".png")
        ourPictures += stage.seconds;
    const double theirPictures = toBmp.seconds + toPng.seconds;
    std::printf("  pictures: ours %.3f s / theirs %.3f s = %.3f\n", ourPictures, theirPictures,
                theirPictures > 0 ? ourPictures / theirPictures : 0.0);
    if (!comparable || ours.seconds >= theirs) allFaster = false;

    if (!keepFiles) {
      for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file()) fs::remove(entry.path());
    }
  }
  std::printf("\nbench process peak memory %.1f MiB (generation included)\n",
              static_cast<double>(OwnPeakKilobytes()) / 1024.0);
  std::printf("%s\n", allFaster ? "tesk-cli is faster than the chain at every size"
                                : "tesk-cli is NOT faster than the chain at every size");
  if (!keepFiles) fs::remove_all(folder);
  return 0;
}

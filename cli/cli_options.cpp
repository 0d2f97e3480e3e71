#include "cli/cli_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <functional>
#include <sstream>

#include "printer/profile.h"

namespace tesk::cli {
namespace {

constexpr const char* kUsage =
    "Usage: tesk-cli [OPTION]... FILE...\n"
    "  or:  tesk-cli --listen [ADDRESS:]PORT --out FOLDER [OPTION]...\n"
    "  or:  tesk-cli --lint [--profile NAME|FILE] FILE...\n"
    "  or:  tesk-cli --diff [--render bands|paper] A B\n"
    "Convert ESC/POS raster print jobs (raw dumps, Bus Hound capture texts, USB\n"
    "packet captures, or ZIP archives of them) and write beside each FILE its .bin,\n"
    "bin.zip, .dat, .bmp and .png outputs.\n";

constexpr const char* kExitStatus =
    "Exit status: 0 when every file converted, 1 when any run reported a message,\n"
    "2 on a usage error. --lint: 0 without findings, 1 with findings or a file\n"
    "without a job. --diff: 0 when the pictures are identical, 1 when they differ,\n"
    "2 on a usage error or a file without a job or picture.\n";

constexpr std::size_t kHelpColumn = 18;
constexpr std::size_t kHelpWidth = 80;

// The usage line and what the program does come first, as in other tools.
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode mode) const override {
    return std::string(kUsage) + make_groups(app, mode) + kExitStatus;
  }
};

// Breaks an option's help at spaces so that it stays within the terminal's
// 80 columns beside the option column.
std::string Wrapped(const std::string& text) {
  const std::size_t width = kHelpWidth - kHelpColumn;
  std::string wrapped;
  std::size_t lineLength = 0;
  std::stringstream words(text);
  std::string word;
  while (words >> word) {
    if (lineLength > 0 && lineLength + 1 + word.size() > width) {
      wrapped += '\n';
      lineLength = 0;
    } else if (lineLength > 0) {
      wrapped += ' ';
      ++lineLength;
    }
    wrapped += word;
    lineLength += word.size();
  }
  return wrapped;
}

void ParseKeepList(const std::string& list, core::RunOptions& run) {
  run.keepPlainBinary = run.keepPlainBinaryZip = run.keepPureData = false;
  run.keepBitmap = run.keepPng = false;
  if (list == "none") return;
  std::stringstream items(list);
  std::string item;
  while (std::getline(items, item, ',')) {
    if (item == "bin")
      run.keepPlainBinary = true;
    else if (item == "zip")
      run.keepPlainBinaryZip = true;
    else if (item == "dat")
      run.keepPureData = true;
    else if (item == "bmp")
      run.keepBitmap = true;
    else if (item == "png")
      run.keepPng = true;
    else if (item == "all")
      run.keepPlainBinary = run.keepPlainBinaryZip = run.keepPureData = run.keepBitmap = run.keepPng = true;
    else
      throw CLI::ValidationError("unknown output '" + item +
                                 "' in --keep (bin, zip, dat, bmp, png, all, none)");
  }
}

// An option that takes one word from a fixed list; each occurrence is applied as it
// is read, so the last one on the command line wins.
template <typename Value>
CLI::Option* AddChoice(CLI::App& app, const std::string& name, const std::string& typeName,
                       const std::string& help, const std::vector<std::pair<std::string, Value>>& choices,
                       const std::string& unknownWhat, std::function<void(Value)> apply) {
  std::string listed;
  for (const auto& choice : choices) listed += (listed.empty() ? "" : ", ") + choice.first;
  return app
      .add_option_function<std::string>(
          name,
          [choices, listed, unknownWhat, apply](const std::string& word) {
            const auto found = std::find_if(choices.begin(), choices.end(),
                                            [&](const auto& choice) { return choice.first == word; });
            if (found == choices.end())
              throw CLI::ValidationError("unknown " + unknownWhat + " '" + word + "' (" + listed + ")");
            apply(found->second);
          },
          help)
      ->type_name(typeName)
      ->trigger_on_parse()
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

// Every option of tesk-cli is declared here and nowhere else: the parser and
// --help both read this table. Options write into `options` as they are read.
void DeclareOptions(CLI::App& app, CliOptions& options, std::vector<std::string>& files,
                    std::string& profileName) {
  core::RunOptions& run = options.run;
  app.add_option_function<std::string>(
         "--keep", [&run](const std::string& list) { ParseKeepList(list, run); },
         "outputs to leave on disk, comma-separated from bin, zip, dat, bmp, png, or all, or none "
         "(default: bin,zip,bmp,png)")
      ->type_name("LIST")
      ->trigger_on_parse()
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_flag_callback(
         "--bottom-up", [&run] { run.bottomUp = true; }, "store the BMP bottom-up (default: top-down)")
      ->trigger_on_parse();
  app.add_flag_callback(
         "--top-down", [&run] { run.bottomUp = false; }, "store the BMP top-down")
      ->trigger_on_parse();
  AddChoice<core::BandLayoutChoice>(
      app, "--layout", "KIND",
      "where the raster bands are: fixed (default: the drivers' layout, header at 7 or 10, bands 11 "
      "bytes apart, all alike; a warning says when it does not fit the job) or commands (every GS v 0 "
      "command found, each its own size; also jobs that do not begin with ESC @)",
      {{"fixed", core::BandLayoutChoice::Fixed}, {"commands", core::BandLayoutChoice::Commands}}, "layout",
      [&run](core::BandLayoutChoice layout) { run.layout = layout; });
  AddChoice<core::CaptureReading>(
      app, "--capture", "HOW",
      "how to read Bus Hound capture text: default (the first OUT transfer, default columns, CR LF "
      "line ends) or whole (any column layout and line end, every OUT transfer to the printer's "
      "endpoint, repeated transfers expanded)",
      {{"whole", core::CaptureReading::Whole}, {"default", core::CaptureReading::Default}}, "capture reading",
      [&run](core::CaptureReading reading) { run.captureReading = reading; });
  AddChoice<bool>(
      app, "--render", "WHAT",
      "what to draw: bands (default: the band picture alone) or paper (also the job as the printer "
      "prints it, every image command with its feeds, positions and cuts, written as .paper.png, "
      ".paper-2.png ... one a piece of paper between cuts)",
      {{"bands", false}, {"paper", true}}, "drawing",
      [&options](bool paper) { options.renderPaper = paper; });
  app.add_option(
         "--profile", profileName,
         "the printer the paper is drawn for (with --render paper), the job is checked against "
         "(with --lint) or --listen answers status queries as: a built-in profile (80mm-203dpi, the default, or 58mm-203dpi) or a JSON "
         "profile file")
      ->type_name("NAME|FILE");
  app.add_flag("--inspect", options.inspect,
               "print each job's command stream and check the fixed band layout against it; nothing is "
               "written");
  app.add_flag("--lint", options.lint,
               "list where each job depends on a printer's habits, one finding a line (FILE:OFFSET: CODE: "
               "explanation); nothing is written");
  app.add_flag("--diff", options.diff,
               "compare two jobs A B: their commands lined up and their pictures (the band picture, or the "
               "paper with --render paper) dot by dot; writes only A's name with .diff.png, dots in both "
               "black, only in A red, only in B blue");
  app.add_flag("--json", options.json, "print one JSON object per file instead of text");
  app.add_flag("--version", options.version, "show the version and exit");
  app.add_option_function<std::string>(
         "--listen",
         [&options](const std::string& text) {
           options.listen =
               live::ParseListenAddress(text.empty() ? std::to_string(live::kDefaultListenPort) : text);
           if (!options.listen) throw CLI::ValidationError("--listen: not [ADDRESS:]PORT: '" + text + "'");
         },
         "be a network printer: take raw print jobs on this TCP port (address default 127.0.0.1, port "
         "default 9100), save each in --out FOLDER and convert it with the other options; Ctrl-C ends")
      ->type_name("[ADDRESS:]PORT")
      ->expected(0, 1)
      ->trigger_on_parse()
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_option("--out", options.outFolder, "with --listen: the folder received jobs are saved in")
      ->type_name("FOLDER");
  app.add_option_function<double>(
         "--idle",
         [&options](double seconds) {
           if (!(seconds > 0 && seconds <= 3600))
             throw CLI::ValidationError("--idle: seconds from 0 to 3600");
           options.idleMilliseconds = static_cast<int>(seconds * 1000 + 0.5);
         },
         "with --listen: a job ends after this many seconds without a byte (default 2)")
      ->type_name("SECONDS");
  app.add_option_function<std::string>(
         "--forward",
         [&options](const std::string& text) {
           options.forward = live::ParseForwardAddress(text);
           if (!options.forward) throw CLI::ValidationError("--forward: not HOST:PORT: '" + text + "'");
         },
         "with --listen: send every byte on to the printer at HOST:PORT too, and its answers back")
      ->type_name("HOST:PORT");
  app.add_option("FILE", files)->group("");
}

// The parser with the program's texts; `options` and `files` receive what it reads.
void ConfigureApp(CLI::App& app, CliOptions& options, std::vector<std::string>& files,
                  std::string& profileName) {
  app.name("tesk-cli");
  auto formatter = std::make_shared<HelpFormatter>();
  formatter->column_width(kHelpColumn);
  app.formatter(formatter);
  app.set_help_flag("-h,--help", "show this help and exit");
  DeclareOptions(app, options, files, profileName);
  for (CLI::Option* option : app.get_options()) option->description(Wrapped(option->get_description()));
}

}  // namespace

std::string CliUsage() {
  CliOptions options;
  std::vector<std::string> files;
  std::string profileName;
  CLI::App app;
  ConfigureApp(app, options, files, profileName);
  return app.help();
}

bool ParseCliOptions(const std::vector<std::string>& arguments, CliOptions& options, std::string& error) {
  std::vector<std::string> files;
  std::string profileName(printer::kDefaultProfileName);
  CLI::App app;
  ConfigureApp(app, options, files, profileName);
  // CLI11 reads its argument list from the back.
  std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    options.help = true;
    return true;
  } catch (const CLI::ParseError& failure) {
    error = failure.what();
    return false;
  }
  for (const std::string& file : files) options.files.emplace_back(file);
  const bool listening = options.listen.has_value();
  if (!options.renderPaper && !options.lint && !listening && app.get_option("--profile")->count() > 0) {
    error = "--profile needs --render paper, --lint or --listen";
    return false;
  }
  if (int{options.inspect} + int{options.lint} + int{options.diff} > 1) {
    error = "--inspect, --lint and --diff each do a different job; give one of them";
    return false;
  }
  if (options.diff && options.files.size() != 2) {
    error = "--diff compares two files, " + std::to_string(options.files.size()) + " given";
    return false;
  }
  if (options.renderPaper || options.lint || listening) {
    printer::Profile profile;
    std::string message;
    if (printer::LoadProfile(profileName, profile, message) != printer::ProfileResult::Loaded) {
      error = "--profile " + profileName + ": " + message;
      return false;
    }
    if (profile.name.empty()) profile.name = profileName;
    options.profile = profile;
    if (options.renderPaper) options.run.paperProfile = std::move(profile);
  }
  if (options.help || options.version) return true;
  if (options.listen) {
    if (!options.files.empty())
      error = "--listen takes no FILE";
    else if (options.outFolder.empty())
      error = "--listen needs --out FOLDER";
    return error.empty();
  }
  if (!options.outFolder.empty() || app.count("--idle") > 0 || options.forward) {
    error = "--out, --idle and --forward go with --listen";
    return false;
  }
  if (options.files.empty()) {
    error = "no input file given";
    return false;
  }
  return true;
}

}  // namespace tesk::cli

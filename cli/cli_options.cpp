#include "cli/cli_options.h"

#include <sstream>

namespace tesk::cli {
namespace {

bool ParseKeepList(const std::string& list, core::RunOptions& run, std::string& error) {
  run.keepPlainBinary = run.keepPlainBinaryZip = run.keepPureData = false;
  run.keepBitmap = run.keepPng = false;
  if (list == "none") return true;
  std::stringstream items(list);
  std::string item;
  while (std::getline(items, item, ',')) {
    if (item == "bin") run.keepPlainBinary = true;
    else if (item == "zip") run.keepPlainBinaryZip = true;
    else if (item == "dat") run.keepPureData = true;
    else if (item == "bmp") run.keepBitmap = true;
    else if (item == "png") run.keepPng = true;
    else if (item == "all")
      run.keepPlainBinary = run.keepPlainBinaryZip = run.keepPureData = run.keepBitmap =
          run.keepPng = true;
    else {
      error = "unknown output '" + item + "' in --keep (bin, zip, dat, bmp, png, all, none)";
      return false;
    }
  }
  return true;
}

}  // namespace

const char* CliUsage() {
  return "Usage: tesk-cli [OPTION]... FILE...\n"
         "Convert ESC/POS raster print jobs (raw dumps, Bus Hound capture texts, or ZIP\n"
         "archives of either) and write beside each FILE its .bin, bin.zip, .dat, .bmp\n"
         "and .png outputs.\n"
         "\n"
         "  --keep LIST    outputs to leave on disk, comma-separated from bin, zip, dat,\n"
         "                 bmp, png, or all, or none (default: bin,zip,bmp,png)\n"
         "  --bottom-up    store the BMP bottom-up (default: top-down)\n"
         "  --top-down     store the BMP top-down\n"
         "  --layout KIND  where the raster bands are: fixed (default: the drivers'\n"
         "                 layout, header at 7 or 10, bands 11 bytes apart, all alike)\n"
         "                 or commands (every GS v 0 command found, each its own size)\n"
         "  --capture HOW  how to read Bus Hound capture text: default (the first OUT\n"
         "                 transfer, default columns, CR LF line ends) or whole (any\n"
         "                 column layout and line end, every OUT transfer to the\n"
         "                 printer's endpoint, repeated transfers expanded)\n"
         "  --inspect      print each job's command stream and check the fixed band\n"
         "                 layout against it; nothing is written\n"
         "  --json         print one JSON object per file instead of text\n"
         "  --help         show this help and exit\n"
         "  --version      show the version and exit\n"
         "\n"
         "Exit status: 0 when every file converted, 1 when any run reported a message,\n"
         "2 on a usage error.\n";
}

bool ParseCliOptions(const std::vector<std::string>& arguments, CliOptions& options,
                     std::string& error) {
  bool onlyFiles = false;
  for (std::size_t index = 0; index < arguments.size(); ++index) {
    const std::string& argument = arguments[index];
    if (onlyFiles || argument.empty() || argument[0] != '-' || argument == "-") {
      options.files.emplace_back(argument);
    } else if (argument == "--") {
      onlyFiles = true;
    } else if (argument == "--help" || argument == "-h") {
      options.help = true;
    } else if (argument == "--version") {
      options.version = true;
    } else if (argument == "--json") {
      options.json = true;
    } else if (argument == "--inspect") {
      options.inspect = true;
    } else if (argument == "--layout" || argument.rfind("--layout=", 0) == 0) {
      std::string kind;
      if (argument == "--layout") {
        if (index + 1 >= arguments.size()) {
          error = "--layout needs fixed or commands";
          return false;
        }
        kind = arguments[++index];
      } else {
        kind = argument.substr(9);
      }
      if (kind == "fixed") {
        options.run.layout = core::BandLayoutChoice::Fixed;
      } else if (kind == "commands") {
        options.run.layout = core::BandLayoutChoice::Commands;
      } else {
        error = "unknown layout '" + kind + "' (fixed, commands)";
        return false;
      }
    } else if (argument == "--capture" || argument.rfind("--capture=", 0) == 0) {
      std::string how;
      if (argument == "--capture") {
        if (index + 1 >= arguments.size()) {
          error = "--capture needs whole or default";
          return false;
        }
        how = arguments[++index];
      } else {
        how = argument.substr(10);
      }
      if (how == "whole") {
        options.run.captureReading = core::CaptureReading::Whole;
      } else if (how == "default") {
        options.run.captureReading = core::CaptureReading::Default;
      } else {
        error = "unknown capture reading '" + how + "' (whole, default)";
        return false;
      }
    } else if (argument == "--bottom-up") {
      options.run.bottomUp = true;
    } else if (argument == "--top-down") {
      options.run.bottomUp = false;
    } else if (argument == "--keep" || argument.rfind("--keep=", 0) == 0) {
      std::string list;
      if (argument == "--keep") {
        if (index + 1 >= arguments.size()) {
          error = "--keep needs a list of outputs";
          return false;
        }
        list = arguments[++index];
      } else {
        list = argument.substr(7);
      }
      if (!ParseKeepList(list, options.run, error)) return false;
    } else {
      error = "unknown option '" + argument + "'";
      return false;
    }
  }
  if (!options.help && !options.version && options.files.empty()) {
    error = "no input file given";
    return false;
  }
  return true;
}

}  // namespace tesk::cli

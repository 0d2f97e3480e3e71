#pragma once
// The part of tesk-cli --inspect that describes a USB packet capture: what the
// file held, which stream was taken as the job, and every transfer taken.

#include <string>

#include "cli/json_text.h"
#include "core/raster_source.h"

namespace tesk::cli {

// `jobFound` is false for a capture that gave no job: its counts still tell why.
std::string FormatUsbCaptureText(const core::RasterSource& source, bool jobFound);
// A JSON object (no key): counts, the job's stream (null without a job) and the transfers.
Json FormatUsbCaptureJson(const core::RasterSource& source, bool jobFound);

}  // namespace tesk::cli

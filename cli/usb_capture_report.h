#pragma once
// The part of tesk-cli --inspect that describes a USB packet capture: what the
// file held, which stream was taken as the job, and every transfer taken.

#include <string>

#include "core/raster_source.h"

namespace tesk::cli {

std::string FormatUsbCaptureText(const core::RasterSource& source);
// A JSON object (no key): counts, the job's stream and the transfers.
std::string FormatUsbCaptureJson(const core::RasterSource& source);

}  // namespace tesk::cli

// The command scanner, the fixed-layout check and verdict, the command-stream
// test and the command-stream picture on arbitrary jobs.

#include <cstdlib>

#include "commands/command_scanner.h"
#include "commands/command_stream.h"
#include "commands/image_commands.h"
#include "core/command_layout.h"
#include "core/layout_check.h"
#include "core/picture_limits.h"
#include "fuzz/fuzz_sandbox.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tesk;
  fuzz::LowerLimitsForFuzzing();
  const std::span<const std::uint8_t> job(data, size);
  std::uint64_t covered = 0;
  commands::ScanCommands(job, [&](const commands::CommandRecord& command) {
    if (command.offset != covered || command.length == 0 || command.length > command.needed) std::abort();
    covered += command.length;
    commands::DescribeCommand(command, job);
    commands::CommandBytes(command, job);
    commands::IsUndrawnImageCommand(command, job);
  });
  if (covered != size) std::abort();  // every byte belongs to exactly one command
  // The run's verdict and the inspector's walk over every band must agree.
  const core::LayoutCheck check = core::CheckFixedLayout(job);
  const core::LayoutVerdict verdict = core::JudgeFixedLayout(job);
  if (check.verdict != verdict.reason || check.matches != verdict.fits) std::abort();
  commands::LooksLikeCommandStream(job);
  const core::CommandBandLayout layout = core::PlanCommandLayout(job);
  if (layout.pureLength <= core::PictureByteLimit()) {
    core::ByteBuffer pure;
    core::GatherCommandBands(job, layout, pure);
  }
  return 0;
}

#pragma once
// SIGTERM and SIGINT as something an event loop can wait for: the handler only
// writes a byte to a pipe, and the window closes in its own time instead of
// being killed in the middle of a run.

namespace tesk::platform {

// Installs the handlers once and returns the pipe's read end (watch it for
// reading), or -1 when no pipe could be made.
int WatchTerminationSignals();

// Takes the bytes waiting in the pipe; true when a signal had arrived.
bool TakeTerminationRequest();

}  // namespace tesk::platform

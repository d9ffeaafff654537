#pragma once

// A stop from outside: Ctrl+C, SIGTERM or SIGHUP on POSIX; Ctrl+C, Ctrl+Break, the
// console's close, log-off or shutdown on Windows. The program then ends as after X,
// after the step under way at the latest; a setup answer being waited for reads as input
// that ended. Windows' close and session end wait, within Windows' time, for that end.
namespace korv::platform {
// From here on a stop is noted instead of ending the process.
void CatchStopRequests();
bool StopRequested();
}  // namespace korv::platform

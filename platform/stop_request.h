#pragma once

// A stop asked from outside the program: Ctrl+C, SIGTERM or SIGHUP (a service stop) on
// POSIX; Ctrl+C, Ctrl+Break, the console window's close, log-off or shutdown on
// Windows. The program then ends as after X, at the latest after the step under way;
// a setup answer being waited for reads as input that ended. Windows' close and
// session end wait (within the time Windows gives) for the program's own end.
namespace korv::platform {

// From here on a stop is noted instead of ending the process.
void CatchStopRequests();
bool StopRequested();

}  // namespace korv::platform

#pragma once

#include <sys/types.h>

#include <string>

#include "tests/support/process.h"

namespace korv::test {
// The Wine launcher: a fresh, headless Wine prefix for one test program, shared by all
// its cases since creating one takes seconds; a .exe runs in it typed at `wine cmd` on
// the runner's console (Runner::Start). Its wineserver runs until Stop(): the COM port's
// pseudo-terminal must stay open until then, as wineserver hangs up on it otherwise.
//
// Wine closes the prefix's desktop about a second after the last program using it
// ends, and the next program that loads user32 then waits up to 10 s for a new one;
// so the desktop holder (tests/win32/desktop_holder.cpp) keeps it open until Stop().
class WinePrefix {
public:
    // Creates the prefix in `directory` (which must not exist yet) and starts
    // `desktop_holder` in it; throws when Wine cannot be started.
    WinePrefix(std::string directory, std::string desktop_holder);
    ~WinePrefix();
    WinePrefix(const WinePrefix&) = delete;
    WinePrefix& operator=(const WinePrefix&) = delete;

    // Ends every Wine process of the prefix and the wineserver.
    void Stop();

    // The Linux process of a program running in this prefix, found by its file name
    // (e.g. "korvpole.exe", "wineserver", "conhost.exe"); -1 when there is none. Other
    // prefixes on the machine may run programs of the same name.
    pid_t ProcessNamed(const std::string& name) const;

    // A device link such as "com5", pointed at a Linux device by the test.
    std::string DosDevice(const std::string& name) const;

    // COM<n> mapped to a Linux device in the registry, which is what makes Wine list
    // the port (the serial-port map, QueryDosDevice). Wine reads the map only when its
    // server starts, so the server and the desktop holder are started again.
    void MapComPort(int n, const std::string& device);

    // The Windows name of a Linux path, through drive Z:.
    static std::string WindowsPath(const std::string& path);

private:
    void StartServer(bool booted);
    bool Runs(pid_t pid) const;

    std::string directory_;
    std::string log_;
    std::string desktop_holder_;
    bool running_ = false;
    ChildProcess holder_;
};
}  // namespace korv::test

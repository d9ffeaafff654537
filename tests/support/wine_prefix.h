#pragma once

#include <sys/types.h>

#include <string>

#include "tests/support/process.h"

namespace korv::test {
// A fresh, headless Wine prefix for one test program, shared by its cases since making
// one takes seconds; a .exe runs in it typed at `wine cmd` on the runner's console. Its
// wineserver runs until Stop(), as it hangs up on a COM port's pseudo-terminal when it
// ends. The desktop holder (tests/win32/desktop_holder.cpp) keeps the prefix's desktop:
// Wine closes it a second after its last user ends, and the next start waits 10 s.
class WinePrefix {
public:
    // Makes the prefix in `directory`, which must not exist yet; throws when Wine fails.
    WinePrefix(std::string directory, std::string desktop_holder);
    ~WinePrefix();
    WinePrefix(const WinePrefix&) = delete;
    WinePrefix& operator=(const WinePrefix&) = delete;

    // Ends every Wine process of the prefix and the wineserver.
    void Stop();

    // The Linux process of a program of this prefix by its file name ("korvpole.exe",
    // "wineserver"); -1 for none. Other prefixes may run programs of the same name.
    pid_t ProcessNamed(const std::string& name) const;

    // A device link such as "com5", pointed at a Linux device by the test.
    std::string DosDevice(const std::string& name) const;

    // COM<n> mapped to a Linux device in the registry's serial-port map, which Wine lists
    // and reads only as its server starts: the server and the holder start again.
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

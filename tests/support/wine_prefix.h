#pragma once

#include <string>

namespace korv::test {

// A fresh, headless Wine prefix for one test program, shared by all its cases since
// creating one takes seconds. Its wineserver runs until Stop(): the COM port's
// pseudo-terminal must stay open until then, as wineserver hangs up on it otherwise.
class WinePrefix {
public:
    // Creates the prefix in `directory` (which must not exist yet); throws when Wine
    // cannot be started.
    explicit WinePrefix(std::string directory);
    ~WinePrefix();
    WinePrefix(const WinePrefix&) = delete;
    WinePrefix& operator=(const WinePrefix&) = delete;

    // Ends every Wine process of the prefix and the wineserver.
    void Stop();

    // A device link such as "com5", pointed at a Linux device by the test.
    std::string DosDevice(const std::string& name) const;

    // The Windows name of a Linux path, through drive Z:.
    static std::string WindowsPath(const std::string& path);

private:
    std::string directory_;
    bool running_ = false;
};

}  // namespace korv::test

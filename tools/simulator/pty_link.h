#pragma once

#include <cstdint>
#include <string>

namespace korv::tools {
// A pseudo-terminal linked as COM<n> in the working folder, for korvpole to open as a
// port; a slave descriptor of its own keeps a client's close from hanging it up.
// Windows has none: Create fails there, saying what to do instead.
class PtyLink {
public:
    PtyLink() = default;
    // Removes the link, but only while it still points at this simulator's terminal.
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // Fails, touching nothing, when COM<n> already exists: whatever is there is
    // somebody else's, even a link to another pseudo-terminal.
    bool Create(int port, std::string& error);
    // What came on the link, as SerialDevice::Read says it.
    int Read(std::uint8_t* buffer, int size, int timeout_ms);

private:
    void CloseTerminal();

    int master_ = -1;
    int slave_ = -1;
    std::string slave_path_;
    std::string name_;
    bool linked_ = false;
};
}  // namespace korv::tools

#pragma once

#include <string>

namespace korv::tools {

// A pseudo-terminal whose slave side is linked as COM<n> in the working directory, so
// that korvpole opens it like a port. The simulator keeps a slave descriptor of its own
// open, so a client closing the port is no hang-up and the master keeps working.
class PtyLink {
public:
    PtyLink() = default;
    ~PtyLink();
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;

    // Fails, touching nothing, when COM<n> already exists: whatever is there is
    // somebody else's, even a link to another pseudo-terminal.
    bool Create(int port, std::string& error);
    // Removes the link, but only while it still points at this simulator's terminal.
    void Remove();

    int MasterFd() const { return master_; }
    const std::string& Name() const { return name_; }
    const std::string& SlavePath() const { return slave_path_; }

private:
    void CloseTerminal();

    int master_ = -1;
    int slave_ = -1;
    std::string slave_path_;
    std::string name_;
    bool linked_ = false;
};

}  // namespace korv::tools

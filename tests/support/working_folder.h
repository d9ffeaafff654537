#pragma once

#include <map>
#include <memory>
#include <string>

#include "pole/record_format.h"
#include "tests/support/pty_port.h"
#include "tests/support/temp_dir.h"

namespace korv::test {

class WinePrefix;

// A fresh temporary working folder as a counter has it, removed at the end with all it
// holds: KORVPOLE.CFG, POLE.DAT written in place as a till writes it, and COM ports
// that are pseudo-terminals whose bytes the display model decodes.
class WorkingFolder {
public:
    WorkingFolder();
    // The same folder again, for programs that run side by side.
    explicit WorkingFolder(std::shared_ptr<const TempDir> dir);

    const TempDir& Dir() const { return *dir_; }
    std::shared_ptr<const TempDir> SharedDir() const { return dir_; }
    std::string PathOf(const std::string& name) const { return *dir_ / name; }
    void WriteConfig(int port, bool backlight_on) const;
    void WriteRecord(const PoleRecordFields& fields) const;
    void WriteRecordBytes(std::size_t offset, const std::string& bytes) const;
    void TruncateRecord(std::size_t length) const;

    // COM port n: a pseudo-terminal linked as COM<n> in the folder (under Wine as the
    // prefix's com<n>), made on first use. Unplug leaves the link dangling, as a pulled
    // adapter does; Replug puts a new terminal behind the name.
    DisplayTap& Port(int n);
    void Unplug(int n);
    DisplayTap& Replug(int n);
    // The link a port gets, before it is made.
    std::string PortLink(int n) const;
    // COM ports are made in this prefix, for programs run under Wine.
    void UseWine(WinePrefix* wine) { wine_ = wine; }

private:
    std::shared_ptr<const TempDir> dir_;
    WinePrefix* wine_ = nullptr;
    std::map<int, std::unique_ptr<DisplayTap>> ports_;
};

// KORVPOLE.CFG as the setup dialogue writes it: the port text, NULs, then '1' for the
// backlight on ('0' for off) and a NUL.
std::string ConfigBytes(int port, bool backlight_on);

}  // namespace korv::test

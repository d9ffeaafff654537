#include "tests/support/working_folder.h"

#include <unistd.h>

#include <stdexcept>

#include "tests/support/wine_prefix.h"
#include "tools/record_writer.h"

namespace korv::test {

WorkingFolder::WorkingFolder() : dir_(std::make_shared<TempDir>()) {}

WorkingFolder::WorkingFolder(std::shared_ptr<const TempDir> dir) : dir_(std::move(dir)) {}

void WorkingFolder::WriteConfig(int port, bool backlight_on) const {
    dir_->Write("KORVPOLE.CFG", ConfigBytes(port, backlight_on));
}

void WorkingFolder::WriteRecord(const PoleRecordFields& fields) const {
    std::string error;
    if (!tools::WriteRecordInPlace(PathOf("POLE.DAT"), EncodeRecord(fields), error))
        throw std::runtime_error(error);
}

void WorkingFolder::WriteRecordBytes(std::size_t offset, const std::string& bytes) const {
    std::string error;
    if (!tools::WriteBytesAt(PathOf("POLE.DAT"), offset, bytes, error))
        throw std::runtime_error(error);
}

void WorkingFolder::TruncateRecord(std::size_t length) const {
    WriteRecordBytes(0, "");
    if (truncate(PathOf("POLE.DAT").c_str(), static_cast<off_t>(length)) != 0)
        throw std::runtime_error("cannot cut POLE.DAT");
}

std::string WorkingFolder::PortLink(int n) const {
    if (wine_ != nullptr) return wine_->DosDevice("com" + std::to_string(n));
    return PathOf("COM" + std::to_string(n));
}

DisplayTap& WorkingFolder::Port(int n) {
    std::unique_ptr<DisplayTap>& tap = ports_[n];
    if (!tap) tap = std::make_unique<DisplayTap>(PortLink(n));
    return *tap;
}

void WorkingFolder::Unplug(int n) { Port(n).Port().Unplug(); }

DisplayTap& WorkingFolder::Replug(int n) {
    // The old terminal's link goes with it, so the new one must come after.
    ports_[n].reset();
    return Port(n);
}

std::string ConfigBytes(int port, bool backlight_on) {
    std::string bytes = std::to_string(port);
    bytes.resize(3, '\0');
    bytes += backlight_on ? '1' : '0';
    bytes += '\0';
    return bytes;
}

}  // namespace korv::test

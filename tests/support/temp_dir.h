#pragma once

#include <string>
#include <vector>

namespace korv::test {
// A fresh folder under the system's temporary folder, removed with all it holds when
// the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

    // Files in the folder, byte for byte; both throw when the file cannot be used.
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;
    // Anything by that name, a dangling link included.
    bool Has(const std::string& name) const;
    // The names in the folder, sorted.
    std::vector<std::string> Entries() const;

private:
    std::string path_;
};
}  // namespace korv::test

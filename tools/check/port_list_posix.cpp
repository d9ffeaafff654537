#include "tools/check/port_list.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/com_name.h"
#include "platform/posix/device_facts.h"

namespace korv::tools {
namespace {
const std::string kTtyClass = "/sys/class/tty/";
const std::string kStableNames = "/dev/serial/by-id/";
const std::string kUsbDevices = "/sys/bus/usb/devices/";
// The makers of the common adapter chips (FT232, CP210x, CH340, PL2303), whose adapters
// a braille daemon may claim before any tty appears for them.
const char* const kAdapterVendors[] = {"0403", "10c4", "1a86", "067b"};
// Unix98 pseudo-terminal slaves; sysfs has no entry for them.
constexpr unsigned kPtyMajorFirst = 136;
constexpr unsigned kPtyMajorLast = 143;

std::string FirstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

std::string Resolved(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }
std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }
std::string Parent(const std::string& path) { return path.substr(0, path.rfind('/')); }

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.') names.push_back(entry->d_name);
        closedir(dir);
    }
    return names;
}

// The tty's name in sysfs ("ttyUSB0"); empty for a device that is no terminal there.
std::string SysfsTtyName(dev_t device) {
    const std::string node = Resolved("/sys/dev/char/" + std::to_string(major(device)) + ":" +
                                      std::to_string(minor(device)));
    return node.find("/tty/") != std::string::npos ? BaseName(node) : std::string();
}

bool IsPseudoTerminal(dev_t device) { return major(device) >= kPtyMajorFirst && major(device) <= kPtyMajorLast; }

// A built-in port name the kernel keeps whether or not a UART answers behind it.
bool HasNoHardware(const std::string& tty) { return FirstLine(kTtyClass + tty + "/type") == "0"; }

// The first thing `found` says of the tty's device folders, from the port up.
template <typename Found>
std::string UpTheDevices(const std::string& tty, Found found) {
    for (std::string dir = Resolved(kTtyClass + tty + "/device"); dir.rfind("/sys/devices/", 0) == 0; dir = Parent(dir))
        if (const std::string said = found(dir); !said.empty()) return said;
    return {};
}

// The driver that serves the port, past the serial core's own port devices.
std::string DriverOf(const std::string& tty) {
    return UpTheDevices(tty, [](const std::string& dir) {
        const std::string driver = Resolved(dir + "/driver");
        return driver.find("/bus/serial-base/") == std::string::npos ? BaseName(driver) : std::string();
    });
}

// "0403:6001" for a port on a USB adapter; empty otherwise.
std::string UsbIdOf(const std::string& tty) {
    return UpTheDevices(tty, [](const std::string& dir) {
        const std::string vendor = FirstLine(dir + "/idVendor");
        return vendor.empty() ? vendor : vendor + ":" + FirstLine(dir + "/idProduct");
    });
}

std::string StableNameOf(const std::string& device_path) {
    for (const std::string& name : Entries(kStableNames))
        if (Resolved(kStableNames + name) == device_path) return name;
    return {};
}

// What `path` leads to, seen with stat and access only; what else is seen goes into `port`.
PortState Classify(ListedPort& port, const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return errno == EACCES ? PortState::kNoPermission : PortState::kMissing;
    const bool pty = IsPseudoTerminal(info.st_rdev);
    const std::string tty = SysfsTtyName(info.st_rdev);
    if (!S_ISCHR(info.st_mode) || (!pty && tty.empty())) return PortState::kNotSerial;
    if (!pty && HasNoHardware(tty)) return PortState::kMissing;
    if (info.st_gid != 0) {
        port.group = platform::GroupName(info.st_gid);
        port.in_group = platform::HasGroup(info.st_gid);
    }
    const bool may = faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS) == 0;
    if (pty) {
        port.description = "pseudo-terminal";
    } else {
        const std::string usb_id = UsbIdOf(tty);
        port.usb_adapter = !usb_id.empty();
        const std::string usb = usb_id.empty() ? usb_id : "USB " + usb_id;
        for (const std::string& part : {StableNameOf(Resolved(path)), DriverOf(tty), usb})
            if (!part.empty()) port.description += (port.description.empty() ? "" : ", ") + part;
    }
    return may ? PortState::kPresent : PortState::kNoPermission;
}

// Names with their numbers in order: ttyUSB2 before ttyUSB10.
bool NaturalLess(const std::string& a, const std::string& b) {
    const std::size_t a_digits = a.find_first_of("0123456789");
    const std::size_t b_digits = b.find_first_of("0123456789");
    if (a_digits == std::string::npos || b_digits == std::string::npos || a.compare(0, a_digits, b, 0, b_digits) != 0)
        return a < b;
    return std::atol(a.c_str() + a_digits) < std::atol(b.c_str() + b_digits);
}

bool ProcessRuns(const std::string& name) {
    for (const std::string& entry : Entries("/proc"))
        if (entry.find_first_not_of("0123456789") == std::string::npos &&
            FirstLine("/proc/" + entry + "/comm") == name)
            return true;
    return false;
}
}  // namespace

std::vector<ListedPort> ListPorts() {
    // The folder's COM<n> entries first, by number.
    std::vector<ListedPort> ports;
    std::vector<std::string> reached;  // the devices they lead to
    for (const std::string& name : Entries(".")) {
        ListedPort port;
        port.number = platform::ComNumberOfDevice(name);
        if (port.number == 0) continue;
        const std::string target = platform::LinkTarget(name);
        port.device = target.empty() ? name : name + " -> " + target;
        port.state = Classify(port, name);
        reached.push_back(Resolved(name));
        ports.push_back(port);
    }
    std::sort(ports.begin(), ports.end(), [](const ListedPort& a, const ListedPort& b) { return a.number < b.number; });
    const std::size_t in_folder = ports.size();
    // Then the machine's serial ports that none of them leads to, those with a number first.
    std::vector<std::string> ttys;
    for (const std::string& tty : Entries(kTtyClass))
        if (Exists(kTtyClass + tty + "/device") && !HasNoHardware(tty)) ttys.push_back(tty);
    std::sort(ttys.begin(), ttys.end(), NaturalLess);
    for (const std::string& tty : ttys) {
        ListedPort port;
        port.device = "/dev/" + tty;
        if (std::find(reached.begin(), reached.end(), port.device) != reached.end()) continue;
        port.number = platform::ComNumberOfDevice(port.device);
        port.state = Classify(port, port.device);
        ports.push_back(port);
    }
    std::stable_partition(ports.begin() + static_cast<std::ptrdiff_t>(in_folder), ports.end(),
                          [](const ListedPort& port) { return port.number != 0; });
    return ports;
}

PortTakers FindPortTakers() {
    PortTakers takers;
    for (const char* program : {"/usr/bin/brltty", "/bin/brltty", "/usr/sbin/brltty", "/sbin/brltty"})
        takers.braille_daemon = takers.braille_daemon || Exists(program);
    takers.modem_manager = ProcessRuns("ModemManager");
    for (const std::string& device : Entries(kUsbDevices)) {
        const std::string vendor = FirstLine(kUsbDevices + device + "/idVendor");
        for (const char* adapter : kAdapterVendors)
            takers.usb_adapter = takers.usb_adapter || vendor == adapter;
    }
    return takers;
}
}  // namespace korv::tools

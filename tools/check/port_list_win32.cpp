#include "tools/check/port_list.h"

#include <windows.h>
// After windows.h: the device class GUIDs are defined, not only declared, here.
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/com_name.h"

namespace korv::tools {
namespace {
// The ports Windows has running now: the registry's serial-port map.
std::set<std::string> MappedPorts() {
    std::set<std::string> names;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return names;
    for (DWORD index = 0;; ++index) {
        char value_name[256];
        DWORD name_size = sizeof value_name;
        char data[256];
        DWORD data_size = sizeof data - 1;
        DWORD type = 0;
        const LONG result = RegEnumValueA(key, index, value_name, &name_size, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &data_size);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS || type != REG_SZ) continue;
        data[data_size] = '\0';
        names.insert(data);
    }
    RegCloseKey(key);
    return names;
}

struct KnownPort {
    std::string friendly_name;  // as Device Manager shows it
    bool plugged_in = false;
};

std::string PortNameOf(HDEVINFO set, SP_DEVINFO_DATA& device) {
    HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE) return {};
    char name[64];
    DWORD size = sizeof name - 1;
    DWORD type = 0;
    const bool read =
        RegQueryValueExA(key, "PortName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size) == ERROR_SUCCESS &&
        type == REG_SZ;
    RegCloseKey(key);
    if (!read) return {};
    name[size] = '\0';
    return name;
}

// The class "Ports (COM & LPT)" by port name; unless `present_only`, also adapters Windows remembers unplugged.
void AddKnownPorts(bool present_only, std::map<std::string, KnownPort>& known) {
    HDEVINFO set = SetupDiGetClassDevsA(&GUID_DEVCLASS_PORTS, nullptr, nullptr, present_only ? DIGCF_PRESENT : 0);
    if (set == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
        const std::string port = PortNameOf(set, device);
        if (platform::ComNumber(port) == 0) continue;
        KnownPort& entry = known[port];
        char friendly[256];
        if (SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_FRIENDLYNAME, nullptr,
                                              reinterpret_cast<BYTE*>(friendly), sizeof friendly, nullptr))
            entry.friendly_name = friendly;
        entry.plugged_in = entry.plugged_in || present_only;
    }
    SetupDiDestroyDeviceInfoList(set);
}
}  // namespace

std::vector<ListedPort> ListPorts() {
    std::map<std::string, KnownPort> known;
    AddKnownPorts(false, known);
    AddKnownPorts(true, known);
    const std::set<std::string> mapped = MappedPorts();
    for (const std::string& name : mapped) known.try_emplace(name);
    std::vector<ListedPort> ports;
    for (const auto& [name, entry] : known) {
        ListedPort port;
        // The name in the system's device space, as an open names it.
        port.device = "\\\\.\\" + name;
        port.number = platform::ComNumberOfDevice(port.device);
        port.description = entry.friendly_name;
        // Whether this user may open it, Windows tells only by an open.
        port.state = mapped.count(name) != 0 || entry.plugged_in ? PortState::kPresent : PortState::kMissing;
        ports.push_back(port);
    }
    // By number; names korvpole cannot be given last.
    std::stable_sort(ports.begin(), ports.end(), [](const ListedPort& a, const ListedPort& b) {
        return std::pair(a.number == 0, a.number) < std::pair(b.number == 0, b.number);
    });
    return ports;
}

// Neither a braille daemon nor a modem prober takes serial adapters on Windows.
PortTakers FindPortTakers() { return {}; }
}  // namespace korv::tools

// Linked into the Linux release programs only. Their static C++ runtime, built against
// a newer C library, calls two functions that distributions still on glibc 2.34 lack:
// the unwinder's _dl_find_object (2.35) and random_device's arc4random (2.36). The
// linker sends those calls here (--wrap), where older interfaces do the same work.
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace {

struct ObjectSearch {
    std::uintptr_t address;
    dl_find_object* found;
};

// The loaded object whose segments hold the address, and its unwinding table.
int MatchObject(dl_phdr_info* object, std::size_t, void* data) {
    ObjectSearch& search = *static_cast<ObjectSearch*>(data);
    std::uintptr_t start = UINTPTR_MAX;
    std::uintptr_t end = 0;
    void* eh_frame = nullptr;
    bool holds_address = false;
    for (int i = 0; i < object->dlpi_phnum; ++i) {
        const ElfW(Phdr)& segment = object->dlpi_phdr[i];
        const std::uintptr_t first = object->dlpi_addr + segment.p_vaddr;
        if (segment.p_type == PT_GNU_EH_FRAME) eh_frame = reinterpret_cast<void*>(first);
        if (segment.p_type != PT_LOAD) continue;
        const std::uintptr_t last = first + segment.p_memsz;
        if (first < start) start = first;
        if (last > end) end = last;
        holds_address = holds_address || (search.address >= first && search.address < last);
    }
    if (!holds_address) return 0;
    *search.found = dl_find_object{};
    search.found->dlfo_map_start = reinterpret_cast<void*>(start);
    search.found->dlfo_map_end = reinterpret_cast<void*>(end);
    search.found->dlfo_eh_frame = eh_frame;
    return 1;
}

bool ReadUrandom(void* buffer, std::size_t size) {
    const int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool whole = read(fd, buffer, size) == static_cast<ssize_t>(size);
    close(fd);
    return whole;
}

}  // namespace

extern "C" int __wrap__dl_find_object(void* address, dl_find_object* result) {
    ObjectSearch search{reinterpret_cast<std::uintptr_t>(address), result};
    return dl_iterate_phdr(MatchObject, &search) != 0 ? 0 : -1;
}

extern "C" std::uint32_t __wrap_arc4random() {
    std::uint32_t value = 0;
    ssize_t got;
    do {
        got = getrandom(&value, sizeof value, 0);
    } while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(sizeof value) || ReadUrandom(&value, sizeof value))
        return value;
    std::abort();  // as arc4random does without a source of randomness
}

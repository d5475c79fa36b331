// Loaded images via dl_iterate_phdr, presented with the macOS indexing.
#include <mach-o/dyld.h>

#include <link.h>
#include <sys/auxv.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

struct Image {
    const mach_header* header;
    const char* name;
};

struct Found {
    const mach_header* header;
    std::string name;
};

struct Walk {
    unsigned long long knownAdds;
    unsigned long long knownSubs;
    bool haveKnown;
    bool unchanged = false;
    bool sawMain = false;
    unsigned long long adds = 0;
    unsigned long long subs = 0;
    bool haveCounters = false;
    std::vector<Found> found;
};

std::mutex gLock;
// Never destroyed, so a module destructor running at exit can still ask.
std::vector<Image>& gImages = *new std::vector<Image>();
unsigned long long gAdds = 0;
unsigned long long gSubs = 0;
bool gHaveCounters = false;

// Names are interned and never freed, so a returned name outlives any
// later change of the image set.
std::unordered_set<std::string>& names() {
    static auto* set = new std::unordered_set<std::string>();
    return *set;
}

const char* mainProgramPath() {
    static char path[PATH_MAX];
    static std::once_flag once;
    std::call_once(once, [] {
        ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
        if (n > 0) {
            path[n] = '\0';
        } else if (const char* fn = reinterpret_cast<const char*>(getauxval(AT_EXECFN))) {
            std::string s(fn);
            s.copy(path, sizeof path - 1);
            path[std::min(s.size(), sizeof path - 1)] = '\0';
        }
    });
    return path;
}

const mach_header* headerOf(const dl_phdr_info* info) {
    const ElfW(Phdr)* lowest = nullptr;
    for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& ph = info->dlpi_phdr[i];
        if (ph.p_type == PT_LOAD && (!lowest || ph.p_vaddr < lowest->p_vaddr)) lowest = &ph;
    }
    if (!lowest) return nullptr;
    // The lowest load segment maps file offset 0, i.e. the ELF header.
    return reinterpret_cast<const mach_header*>(info->dlpi_addr + lowest->p_vaddr -
                                                lowest->p_offset);
}

int visit(dl_phdr_info* info, size_t size, void* data) {
    Walk& w = *static_cast<Walk*>(data);
    const bool isMain = !w.sawMain;
    w.sawMain = true;
    if (isMain && size >= offsetof(dl_phdr_info, dlpi_subs) + sizeof info->dlpi_subs) {
        w.haveCounters = true;
        w.adds = info->dlpi_adds;
        w.subs = info->dlpi_subs;
        if (w.haveKnown && w.adds == w.knownAdds && w.subs == w.knownSubs) {
            w.unchanged = true;
            return 1;
        }
    }
    const char* name = info->dlpi_name ? info->dlpi_name : "";
    // Nameless objects other than the main program cannot be named by path.
    if (!isMain && name[0] == '\0') return 0;
    const mach_header* header = headerOf(info);
    if (!header) return 0;
    w.found.push_back({header, isMain ? mainProgramPath() : name});
    return 0;
}

// Brings the cache up to date. dl_iterate_phdr runs without our lock so
// that a loader callback into us cannot deadlock against it.
void refresh() {
    Walk w;
    {
        std::lock_guard<std::mutex> g(gLock);
        w.knownAdds = gAdds;
        w.knownSubs = gSubs;
        w.haveKnown = gHaveCounters;
    }
    dl_iterate_phdr(visit, &w);
    if (w.unchanged) return;
    std::lock_guard<std::mutex> g(gLock);
    gImages.clear();
    for (const Found& f : w.found) {
        const char* name = names().insert(f.name).first->c_str();
        gImages.push_back({f.header, name});
    }
    gAdds = w.adds;
    gSubs = w.subs;
    gHaveCounters = w.haveCounters;
}

bool imageAt(uint32_t index, Image& out) {
    refresh();
    std::lock_guard<std::mutex> g(gLock);
    if (index >= gImages.size()) return false;
    out = gImages[index];
    return true;
}

}  // namespace

extern "C" {

uint32_t _dyld_image_count(void) {
    refresh();
    std::lock_guard<std::mutex> g(gLock);
    return static_cast<uint32_t>(gImages.size());
}

const struct mach_header* _dyld_get_image_header(uint32_t image_index) {
    Image img;
    return imageAt(image_index, img) ? img.header : nullptr;
}

const char* _dyld_get_image_name(uint32_t image_index) {
    Image img;
    return imageAt(image_index, img) ? img.name : nullptr;
}

}  // extern "C"

#include "ModuleSymbols.h"

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

void* FindModuleSymbol(void* dlHandle, const char* name) {
    struct link_map* map = nullptr;
    if (dlinfo(dlHandle, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) return nullptr;
    std::ifstream file(map->l_name, std::ios::binary);
    std::vector<char> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (image.size() < sizeof(Elf64_Ehdr) || memcmp(image.data(), ELFMAG, SELFMAG) != 0) return nullptr;

    auto inImage = [&](uint64_t offset, uint64_t size) {
        return offset <= image.size() && size <= image.size() - offset;
    };
    const auto* header = reinterpret_cast<const Elf64_Ehdr*>(image.data());
    if (!inImage(header->e_shoff, uint64_t{header->e_shnum} * sizeof(Elf64_Shdr))) return nullptr;
    const auto* sections = reinterpret_cast<const Elf64_Shdr*>(image.data() + header->e_shoff);
    for (unsigned i = 0; i < header->e_shnum; ++i) {
        const Elf64_Shdr& symbols = sections[i];
        if (symbols.sh_type != SHT_SYMTAB || symbols.sh_link >= header->e_shnum) continue;
        const Elf64_Shdr& strings = sections[symbols.sh_link];
        if (!inImage(symbols.sh_offset, symbols.sh_size) || !inImage(strings.sh_offset, strings.sh_size)) continue;
        const auto* first = reinterpret_cast<const Elf64_Sym*>(image.data() + symbols.sh_offset);
        for (size_t n = 0; n < symbols.sh_size / sizeof(Elf64_Sym); ++n) {
            const Elf64_Sym& symbol = first[n];
            if (symbol.st_name >= strings.sh_size || symbol.st_shndx == SHN_UNDEF) continue;
            const char* symbolName = image.data() + strings.sh_offset + symbol.st_name;
            if (strncmp(symbolName, name, strings.sh_size - symbol.st_name) == 0 &&
                strlen(name) < strings.sh_size - symbol.st_name)
                return reinterpret_cast<void*>(map->l_addr + symbol.st_value);
        }
    }
    return nullptr;
}

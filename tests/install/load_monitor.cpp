// The install test's manager: loads a monitor module by its path alone, as a
// manager does (no library path set), sends a short session and unloads it.
// Prints one line per triplet; exit 0 when every triplet succeeded, 1 when one
// did not or the module could not be loaded, 2 for a wrong argument.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>

#include "TwainConstants.h"
#include "TwainTypes.h"

namespace {

using DSEntryProc = TW_UINT16 (*)(TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16, TW_MEMREF);

constexpr char kUsage[] = "usage: load_monitor <module.ds>\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "--help") == 0) {
        fputs(kUsage, stdout);
        return 0;
    }
    if (argc != 2) {
        fprintf(stderr, "load_monitor: expected one module path\n%s", kUsage);
        return 2;
    }
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        fprintf(stderr, "load_monitor: %s\n", dlerror());
        return 1;
    }
    auto entry = reinterpret_cast<DSEntryProc>(dlsym(module, "DS_Entry"));
    if (!entry) {
        fprintf(stderr, "load_monitor: no DS_Entry in %s\n", argv[1]);
        dlclose(module);
        return 1;
    }

    TW_IDENTITY application{};
    application.Id = reinterpret_cast<TW_MEMREF>(1);
    snprintf(application.ProductName, sizeof(application.ProductName), "load_monitor");
    TW_IDENTITY source{};
    TW_STATUS status{};
    const struct {
        const char* name;
        TW_UINT16 dat, msg;
        TW_MEMREF data;
    } session[] = {
        {"DG_CONTROL/DAT_IDENTITY/MSG_GET", DAT_IDENTITY, MSG_GET, &source},
        {"DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", DAT_IDENTITY, MSG_OPENDS, &source},
        {"DG_CONTROL/DAT_STATUS/MSG_GET", DAT_STATUS, MSG_GET, &status},
        {"DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS", DAT_IDENTITY, MSG_CLOSEDS, &source},
    };
    int result = 0;
    for (const auto& triplet : session) {
        const TW_UINT16 rc = entry(&application, DG_CONTROL, triplet.dat, triplet.msg, triplet.data);
        printf("%s -> %u\n", triplet.name, static_cast<unsigned>(rc));
        if (rc != TWRC_SUCCESS) result = 1;
    }
    dlclose(module);
    return result;
}

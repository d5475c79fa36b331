// A stand-in for the vendor's driver bundle, for the end-to-end tests. It writes
// down what it is given, into files in $TWAIN_PROBE_DIR, so that a test can check
// that the monitor passed everything on unchanged:
//   factory.txt  the executable name the factory was given
//   calls.txt    one line per OperateTriplet: origin, DG, DAT, MSG, data pointer
//   release.txt  one line per Release
// It answers with the codes listed in $TWAIN_PROBE_CODES (comma-separated, one per
// call, TWRC_SUCCESS after the list; "abort" crashes the process on that call),
// and leaves the data alone.
//
// It keeps the manager's entry points that DAT_ENTRYPOINT/MSG_SET hands it, and
// with $TWAIN_PROBE_POST says DAT_NULL/MSG_XFERREADY through them, to the
// application that enabled it:
//   enable    once, from inside MSG_ENABLEDS
//   thread:N  N times from a thread of its own, started by MSG_ENABLEDS and
//             joined by Release
//   forever   from a thread of its own that never stops, whatever happens
// Each post that returns writes "posted rc=<code>" to posts.txt; the DSM_Entry it
// was given goes to calls.txt after the call that gave it.
//
// Variants: PROBE_WITHOUT_FACTORY exports no factory at all; PROBE_STORES_NOTHING
// has a factory that leaves the operator pointer alone.
#include <CoreServices/CoreServices.h>
#include <sys/resource.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "CTripletOperator.h"
#include "ProbeFiles.h"

namespace {

void AppendToProbeFile(const char* file, const std::string& text) {
    const char* dir = getenv(kProbeDirVariable);
    if (!dir) return;
    std::string path = std::string(dir) + "/" + file;
    if (FILE* f = fopen(path.c_str(), "a")) {
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
    }
}

// The probe's own identity, the origin of what it says to the manager.
TW_IDENTITY g_probeIdentity{};

class CProbeOperator : public CTripletOperator {
public:
    TW_UINT16 OperateTriplet(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                             TW_MEMREF pData) override {
        AppendToProbeFile(kProbeCallsFile, FormatProbeCall(pOrigin, DG, DAT, MSG, pData));
        if (DG == DG_CONTROL && DAT == DAT_ENTRYPOINT && MSG == MSG_SET && pData) {
            const auto* entry = static_cast<const TW_ENTRYPOINT*>(pData);
            m_managerEntry = entry->DSM_Entry;
            AppendToProbeFile(kProbeCallsFile, FormatProbeEntry(reinterpret_cast<const void*>(entry->DSM_Entry)));
        }
        if (DAT == DAT_USERINTERFACE && MSG == MSG_ENABLEDS) Post(pOrigin);
        return NextCode();
    }

    void Release() override {
        AppendToProbeFile(kProbeReleaseFile, "Release\n");
        if (m_poster.joinable()) m_poster.join();
    }

private:
    void Post(TW_IDENTITY* pApplication) {
        const char* post = getenv(kProbePostVariable);
        if (!post || !m_managerEntry) return;
        const DSMENTRYPROC entry = m_managerEntry;
        auto say = [entry, pApplication] {
            TW_UINT16 rc = entry(&g_probeIdentity, pApplication, DG_CONTROL, DAT_NULL, MSG_XFERREADY, nullptr);
            AppendToProbeFile(kProbePostsFile, "posted rc=" + std::to_string(rc) + "\n");
        };
        if (strcmp(post, "enable") == 0) {
            say();
        } else if (strncmp(post, "thread:", 7) == 0 && !m_poster.joinable()) {
            const long times = strtol(post + 7, nullptr, 10);
            m_poster = std::thread([say, times] {
                for (long i = 0; i < times; ++i) say();
            });
        } else if (strcmp(post, "forever") == 0) {
            std::thread([entry, pApplication] {
                for (;;) entry(&g_probeIdentity, pApplication, DG_CONTROL, DAT_NULL, MSG_XFERREADY, nullptr);
            }).detach();
        }
    }

    TW_UINT16 NextCode() {
        const char* codes = getenv(kProbeCodesVariable);
        if (!codes) return TWRC_SUCCESS;
        // The n-th entry of the list, counting this call.
        const char* p = codes;
        for (unsigned i = 0; i < m_nCalls && p; ++i) {
            p = strchr(p, ',');
            if (p) ++p;
        }
        ++m_nCalls;
        if (p && strncmp(p, "abort", 5) == 0) {
            // A driver that crashes, without leaving a core file behind.
            const struct rlimit noCore = {0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
            abort();
        }
        return p && *p ? static_cast<TW_UINT16>(strtoul(p, nullptr, 0)) : TWRC_SUCCESS;
    }

    unsigned m_nCalls = 0;
    DSMENTRYPROC m_managerEntry = nullptr;
    std::thread m_poster;
};

[[maybe_unused]] CProbeOperator g_cProbeOperator;

}  // namespace

#ifndef PROBE_WITHOUT_FACTORY
extern "C" __attribute__((visibility("default"))) void CreateTwainWrapper(CFStringRef executableName,
                                                                          CTripletOperator** ppOperator) {
    char name[256] = "(null)";
    if (executableName) CFStringGetCString(executableName, name, sizeof(name), kCFStringEncodingUTF8);
    AppendToProbeFile(kProbeFactoryFile, name);
#ifndef PROBE_STORES_NOTHING
    *ppOperator = &g_cProbeOperator;
#else
    (void)ppOperator;
#endif
}
#endif

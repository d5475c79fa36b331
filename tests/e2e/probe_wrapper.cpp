// A stand-in for the vendor's driver bundle, for the end-to-end tests. It writes
// down what it is given, into files in $TWAIN_PROBE_DIR, so that a test can check
// that the monitor passed everything on unchanged:
//   factory.txt  the executable name the factory was given
//   calls.txt    one line per OperateTriplet: origin, DG, DAT, MSG, data pointer
//   release.txt  one line per Release
// It answers with the codes listed in $TWAIN_PROBE_CODES (comma-separated, one per
// call, TWRC_SUCCESS after the list), and a DAT_CAPABILITY/MSG_GET with an
// enumeration of $TWAIN_PROBE_ENUM_ITEMS TWTY_UINT16 items, when that is set. Like
// a source, it reports MSG_XFERREADY in the TW_EVENT of a TWRC_DSEVENT answer, and
// $TWAIN_PROBE_CONDITION as the condition code of DAT_STATUS.
//
// Variants: PROBE_WITHOUT_FACTORY exports no factory at all; PROBE_STORES_NOTHING
// has a factory that leaves the operator pointer alone.
#include <CoreServices/CoreServices.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

class CProbeOperator : public CTripletOperator {
public:
    TW_UINT16 OperateTriplet(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                             TW_MEMREF pData) override {
        AppendToProbeFile(kProbeCallsFile, FormatProbeCall(pOrigin, DG, DAT, MSG, pData));
        TW_UINT16 rc = NextCode();
        if (!pData) return rc;
        if (DAT == DAT_CAPABILITY && MSG == MSG_GET) AnswerEnumeration(static_cast<TW_CAPABILITY*>(pData));
        if (DAT == DAT_EVENT && rc == TWRC_DSEVENT) static_cast<TW_EVENT*>(pData)->TWMessage = MSG_XFERREADY;
        if (DAT == DAT_STATUS) AnswerCondition(static_cast<TW_STATUS*>(pData));
        return rc;
    }

    void Release() override { AppendToProbeFile(kProbeReleaseFile, "Release\n"); }

private:
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
        return p && *p ? static_cast<TW_UINT16>(strtoul(p, nullptr, 0)) : TWRC_SUCCESS;
    }

    static void AnswerEnumeration(TW_CAPABILITY* cap) {
        const char* items = getenv(kProbeEnumItemsVariable);
        if (!items) return;
        TW_UINT32 count = static_cast<TW_UINT32>(strtoul(items, nullptr, 10));
        Handle h = NewHandleClear(static_cast<Size>(offsetof(TW_ENUMERATION, ItemList) + count * sizeof(TW_UINT16)));
        if (!h) return;
        auto* enumeration = reinterpret_cast<TW_ENUMERATION*>(*h);
        enumeration->ItemType = TWTY_UINT16;
        enumeration->NumItems = count;
        for (TW_UINT32 i = 0; i < count; ++i) {
            TW_UINT16 value = static_cast<TW_UINT16>(i);
            memcpy(enumeration->ItemList + i * sizeof(TW_UINT16), &value, sizeof(value));
        }
        cap->ConType = TWON_ENUMERATION;
        cap->hContainer = h;
    }

    static void AnswerCondition(TW_STATUS* status) {
        if (const char* condition = getenv(kProbeConditionVariable))
            status->ConditionCode = static_cast<TW_UINT16>(strtoul(condition, nullptr, 0));
    }

    unsigned m_nCalls = 0;
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

// A data source whose identity and file name hold markup, script and quotes, as
// a driver's strings may: the page of its trace must show them as text and run
// none of them. Capabilities fail, so the page has a failure with its status.
#include <cstring>
#include <type_traits>

#include "TwainTypes.h"

namespace {

template <size_t N>
void SetText(char (&field)[N], const char* text) {
    strncpy(field, text, N - 1);
    field[N - 1] = '\0';
}

void FillIdentity(TW_IDENTITY* identity) {
    if (!identity) return;
    SetText(identity->Manufacturer, "</script><b id=pwned>x</b>");
    SetText(identity->ProductFamily, "<img src=x onerror=alert(1)>");
    SetText(identity->ProductName, "\"quoted' & <i>name</i>");
    SetText(identity->Version.Info, "javascript:alert(1)");
    identity->ProtocolMajor = 2;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) TW_UINT16 DS_Entry(TW_IDENTITY*, TW_UINT32, TW_UINT16 DAT,
                                                                     TW_UINT16 MSG, TW_MEMREF pData) {
    switch (DAT) {
        case DAT_IDENTITY:
            if (MSG != MSG_CLOSEDS) FillIdentity(static_cast<TW_IDENTITY*>(pData));
            return TWRC_SUCCESS;
        case DAT_SETUPFILEXFER:
            if (pData)
                SetText(static_cast<TW_SETUPFILEXFER*>(pData)->FileName,
                        "</script><script>document.title='pwned'</script>"
                        "<img src=x onerror=\"document.title='pwned'\"><a href=\"javascript:alert(1)\">x</a>");
            return TWRC_SUCCESS;
        case DAT_CAPABILITY:
            return TWRC_FAILURE;
        case DAT_STATUS:
            if (pData) static_cast<TW_STATUS*>(pData)->ConditionCode = TWCC_BADCAP;
            return TWRC_SUCCESS;
        default:
            return TWRC_SUCCESS;
    }
}
static_assert(std::is_same_v<decltype(&DS_Entry), DSENTRYPROC>);

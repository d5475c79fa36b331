#include "ParaAnalyze.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "TextFormat.h"
#include "twaintbl.h"

constinit CParaAnalyze g_cParaAnalyze;


void CParaAnalyze::Init(const char* pszLabel) {
    if (!pszLabel) return;
    // A label is at most 31 characters; never read past its NUL or the field.
    size_t n = strnlen(pszLabel, sizeof(m_szLabel) - 1);
    memset(m_szLabel, 0, sizeof(m_szLabel));
    memcpy(m_szLabel, pszLabel, n);
}

void CParaAnalyze::AppendText(const char* psz) {
    if (m_pszText) m_pszText->Append(psz);
}

void CParaAnalyze::AppendFormat(const char* pszFormat, ...) {
    if (!m_pszText) return;
    va_list args;
    va_start(args, pszFormat);
    m_pszText->AppendFormatV(pszFormat, args);
    va_end(args);
}

void CParaAnalyze::StoreTriplet(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, unsigned int DG,
                                unsigned short DAT, unsigned short MSG, char* pData,
                                CRecordText* pszText, CallSide side) {
    m_pOrigin = pOrigin;
    m_pDest = pDest;
    m_DG = DG;
    m_DAT = DAT;
    m_MSG = MSG;
    m_pData = pData;
    m_pszText = pszText;
    m_side = side;
}

bool CParaAnalyze::TripletAnalyze(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, unsigned int DG,
                                  unsigned short DAT, unsigned short MSG, char* pData,
                                  CRecordText* pszText, CallSide side) {
    StoreTriplet(pOrigin, pDest, DG, DAT, MSG, pData, pszText, side);
    if (side == CallSide::Application && MSG == MSG_ENABLEDS && m_nTwainStatus == 4) m_bEnabling = true;
    return CreateStringOfTriplet();
}

bool CParaAnalyze::CreateStringOfTriplet() {
    // The application's event polling would flood the trace; it is left out and
    // not counted. What the source says is always shown.
    if (m_side == CallSide::Application && (m_MSG == MSG_PROCESSEVENT || (m_MSG == MSG_XFERREADY && m_DAT == DAT_NULL)))
        return false;

    ++m_lCount;
    if (!m_pszText) return true;
    UnnamedValueText szDG;
    UnnamedValueText szDAT;
    UnnamedValueText szMSG;
    // The DG is widened with its sign, so 0x80000000 prints as a negative number.
    std::string_view dg = NameOrFallback<dg_macros>(static_cast<int32_t>(m_DG), szDG);
    std::string_view dat =
        m_DAT < 0x8001 ? NameOrFallback<dat_macros>(m_DAT, szDAT) : NameOrFallback<dat_kq_macros>(m_DAT, szDAT);
    std::string_view msg =
        m_MSG < 0x8001 ? NameOrFallback<msg_macros>(m_MSG, szMSG) : NameOrFallback<msg_kq_macros>(m_MSG, szMSG);

    // "[%05ld] [%s] %s/%s/%s", and " (%s)" of the capability name for DAT_CAPABILITY.
    char digits[kNumberTextSize];
    std::string_view count(digits, m_lCount < 0 ? FormatSigned(m_lCount, digits)
                                                : FormatUnsigned(static_cast<uint64_t>(m_lCount), digits, 5));
    std::string_view label = m_side == CallSide::Source ? std::string_view("DS")
                                                        : std::string_view(m_szLabel, strnlen(m_szLabel, sizeof(m_szLabel)));
    if (m_DAT == DAT_CAPABILITY) {
        char szCap[64] = {};
        GetStringOfCapability(static_cast<TW_CAPABILITY*>(m_pData), szCap, sizeof(szCap));
        m_pszText->AppendPieces("[", count, "] [", label, "] ", dg, "/", dat, "/", msg, " (", szCap, ")\r\n");
    } else {
        m_pszText->AppendPieces("[", count, "] [", label, "] ", dg, "/", dat, "/", msg, kCrLf);
    }
    return true;
}

// The text goes out only whole, with its NUL, or not at all.
static bool CopyIfFits(std::string_view text, char* pszOut, unsigned int size) {
    if (!pszOut || text.size() + 1 > size) return false;
    memcpy(pszOut, text.data(), text.size());
    pszOut[text.size()] = '\0';
    return true;
}

bool CParaAnalyze::GetStringOfCapability(TW_CAPABILITY* pCap, char* pszOut, unsigned int size) {
    if (!pCap) return true;
    TW_UINT16 cap = pCap->Cap;
    // The first table's name or the fallback must fit before the second table is asked.
    std::string_view first = FindCapabilityName(cap, false);
    if (first.data()) return CopyIfFits(first, pszOut, size);
    // "ERROR!(" and ")" around the capability's digits, and the NUL.
    size_t digits = 1 + (cap >= 10) + (cap >= 100) + (cap >= 1000) + (cap >= 10000);
    size_t fallbackSize = 8 + digits + 1;
    if (!pszOut || fallbackSize > size) return false;
    std::string_view second = FindCapabilityName(cap, true);
    if (second.data()) {
        // The fallback fits, so it would stand where the second name does not.
        if (CopyIfFits(second, pszOut, size)) return true;
    }
    UnnamedValueText fallback;
    FormatUnnamedValue(cap, fallback, sizeof(fallback));
    CopyIfFits(fallback, pszOut, size);
    return !second.data();
}

// The event message that an event call carries at bytes 8-9, read as a TW_EVENT
// whatever the DAT, or MSG_NULL when the data cannot hold it: no data, a
// structure shorter than that, or a DAT whose structure is not known.
static TW_UINT16 EventMessageOf(TW_UINT16 DAT, const void* pData) {
    constexpr size_t kMessageEnd = offsetof(TW_EVENT, TWMessage) + sizeof(TW_UINT16);
    if (!pData || KnownDataBytes(DAT) < kMessageEnd) return MSG_NULL;
    return ReadUnaligned<TW_UINT16>(static_cast<const char*>(pData) + offsetof(TW_EVENT, TWMessage));
}

bool CParaAnalyze::ResultMake() {
    const bool application = m_side == CallSide::Application;
    if (application && m_DAT == DAT_NULL && m_MSG == MSG_XFERREADY) return false;
    if (application && m_MSG == MSG_PROCESSEVENT) {
        // Only events that the source claims and that move the session are traced.
        if (m_RC != TWRC_DSEVENT) return false;
        TW_UINT16 event = EventMessageOf(m_DAT, m_pData);
        if (event != MSG_XFERREADY && event != MSG_CLOSEDSREQ) return false;
    }
    if (!m_pszText) return true;
    UnnamedValueText fallback;
    std::string_view rc = NameOrFallback<twrc_macros>(m_RC, fallback);
    // The pointer's low 32 bits in at least eight digits.
    char digits[kNumberTextSize];
    std::string_view pointer(digits, FormatHex(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(m_pData)), digits, 8));
    m_pszText->AppendPieces("        Return Code = [", rc, "]\r\npData   = <0x", pointer, ">\r\n");
    // Which application the source speaks to; the manager reads the same identity.
    if (!application && m_pDest) {
        char shown[kValueTextSize];
        const char* name = m_pDest->ProductName;
        size_t length = FormatShownText(name, strnlen(name, sizeof(m_pDest->ProductName)), shown, sizeof(shown));
        m_pszText->AppendPieces("To      = [", std::string_view(shown, length), "]\r\n");
    }
    return true;
}

bool CParaAnalyze::ParaAnalyze(TW_IDENTITY* pOrigin, TW_IDENTITY* pDest, unsigned int DG,
                               unsigned short DAT, unsigned short MSG, char* pData, unsigned short RC,
                               CRecordText* pszText, CallSide side) {
    StoreTriplet(pOrigin, pDest, DG, DAT, MSG, pData, pszText, side);
    m_RC = RC;
    const bool enableEnds = side == CallSide::Application && MSG == MSG_ENABLEDS;
    bool traced = ResultMake();
    if (m_DAT == DAT_EVENT && !traced) return true;
    Dispatch();
    if (m_RC == TWRC_FAILURE || !traced) {
        if (enableEnds) m_bEnabling = false;
        return true;
    }
    UpDateTwainStatus(m_DG, m_DAT, m_MSG, static_cast<char*>(m_pData), side);
    if (enableEnds) m_bEnabling = false;
    if (!m_pszText) return true;
    // After an empty line: the text before it already ends with a line end.
    char digits[kNumberTextSize];
    std::string_view status(digits, FormatSigned(m_nTwainStatus, digits));
    m_pszText->AppendPieces("\r\nTWAIN Status = [", status, "]\r\n");
    return true;
}

namespace {

enum class DatCondition { Any, Null, UserInterface, Event, Callback, ImageInfo, ImageTransfer, PendingXfers };
enum class DataCondition {
    None,
    EventXferReady,
    EventCloseDsReq,
    CallbackXferReady,
    PendingCountNonZero,
    PendingCountZero
};
// Exactly the from-state; it or any higher; state 4 while an MSG_ENABLEDS is on its way.
enum class From { Exactly, OrHigher, WhileEnabling };

struct Transition {
    CallSide side;
    TW_UINT16 msg;
    DatCondition dat;
    DataCondition data;
    int from;
    From match;
    int to;
    const char* why;
};

constexpr CallSide App = CallSide::Application;
constexpr CallSide Ds = CallSide::Source;

// The TWAIN state machine as far as the triplets show it; at most one row applies.
constexpr Transition kTransitions[] = {
    {App, MSG_OPENDSM, DatCondition::Any, DataCondition::None, 2, From::Exactly, 3, "the manager is opened in state 2"},
    {App, MSG_CLOSEDSM, DatCondition::Any, DataCondition::None, 3, From::Exactly, 2, "the manager is closed in state 3"},
    {App, MSG_OPENDS, DatCondition::Any, DataCondition::None, 3, From::Exactly, 4, "a source is opened in state 3"},
    {App, MSG_CLOSEDS, DatCondition::Any, DataCondition::None, 4, From::Exactly, 3, "a source is closed in state 4"},
    {App, MSG_ENABLEDS, DatCondition::Any, DataCondition::None, 4, From::Exactly, 5, "a source is enabled in state 4"},
    {App, MSG_DISABLEDS, DatCondition::UserInterface, DataCondition::None, 5, From::Exactly, 4,
     "a source is disabled in state 5"},
    {App, MSG_PROCESSEVENT, DatCondition::Event, DataCondition::EventXferReady, 5, From::Exactly, 6,
     "MSG_XFERREADY: the source has an image ready to transfer"},
    {App, MSG_PROCESSEVENT, DatCondition::Event, DataCondition::EventCloseDsReq, 5, From::Exactly, 4,
     "MSG_CLOSEDSREQ: the source asks to be disabled"},
    {App, MSG_PROCESSEVENT, DatCondition::ImageTransfer, DataCondition::None, 6, From::Exactly, 7,
     "treated as the transfer it names"},
    {App, MSG_GET, DatCondition::ImageTransfer, DataCondition::None, 6, From::Exactly, 7, "the transfer starts"},
    {App, MSG_ENDXFER, DatCondition::PendingXfers, DataCondition::PendingCountNonZero, 6, From::OrHigher, 6,
     "more transfers are pending"},
    {App, MSG_ENDXFER, DatCondition::PendingXfers, DataCondition::PendingCountZero, 6, From::OrHigher, 5,
     "the last transfer ended: the source is enabled again"},
    {App, MSG_RESET, DatCondition::PendingXfers, DataCondition::None, 6, From::Exactly, 5,
     "the pending transfers are discarded"},
    // Where the source's own calls are not seen (a source that found the manager by
    // other means), a triplet that succeeds only once a transfer is ready proves
    // the signal came, so these move on from 5 as the event would have, through 6.
    {App, MSG_GET, DatCondition::ImageInfo, DataCondition::None, 5, From::Exactly, 6,
     "image information is given only in states 6 and 7"},
    {App, MSG_GET, DatCondition::ImageTransfer, DataCondition::None, 5, From::Exactly, 7,
     "a transfer starts only from state 6"},
    {App, MSG_ENDXFER, DatCondition::PendingXfers, DataCondition::PendingCountNonZero, 5, From::Exactly, 6,
     "a transfer is ended only in states 6 and 7; more are pending"},
    // The source's own calls to the manager. MSG_CLOSEDSREQ and MSG_CLOSEDSOK move
    // nothing: the application answers them by disabling the source.
    {Ds, MSG_XFERREADY, DatCondition::Null, DataCondition::None, 5, From::Exactly, 6,
     "MSG_XFERREADY: the source has an image ready to transfer"},
    {Ds, MSG_INVOKE_CALLBACK, DatCondition::Callback, DataCondition::CallbackXferReady, 5, From::Exactly, 6,
     "MSG_XFERREADY through the callback, as sources on macOS send it"},
    {Ds, MSG_XFERREADY, DatCondition::Null, DataCondition::None, 4, From::WhileEnabling, 6,
     "said from inside MSG_ENABLEDS: the source is enabled already"},
    {Ds, MSG_INVOKE_CALLBACK, DatCondition::Callback, DataCondition::CallbackXferReady, 4, From::WhileEnabling, 6,
     "said from inside MSG_ENABLEDS: the source is enabled already"},
};

bool DatHolds(DatCondition condition, TW_UINT16 DAT) {
    switch (condition) {
        case DatCondition::Any: return true;
        case DatCondition::Null: return DAT == DAT_NULL;
        case DatCondition::UserInterface: return DAT == DAT_USERINTERFACE;
        case DatCondition::Event: return DAT == DAT_EVENT;
        case DatCondition::Callback: return DAT == DAT_CALLBACK || DAT == DAT_CALLBACK2;
        case DatCondition::ImageInfo: return DAT == DAT_IMAGEINFO;
        case DatCondition::ImageTransfer:
            return DAT == DAT_IMAGEMEMXFER || DAT == DAT_IMAGENATIVEXFER || DAT == DAT_IMAGEFILEXFER;
        case DatCondition::PendingXfers: return DAT == DAT_PENDINGXFERS;
    }
    return false;
}

// A condition on the data never holds without data: a null pointer moves nothing.
bool DataHolds(DataCondition condition, unsigned short DAT, const char* pData) {
    if (condition == DataCondition::None) return true;
    if (!pData) return false;
    switch (condition) {
        case DataCondition::EventXferReady:
            return reinterpret_cast<const TW_EVENT*>(pData)->TWMessage == MSG_XFERREADY;
        case DataCondition::EventCloseDsReq:
            return reinterpret_cast<const TW_EVENT*>(pData)->TWMessage == MSG_CLOSEDSREQ;
        case DataCondition::CallbackXferReady: {
            // Where the two hold Message differs where RefCon's size does (Windows).
            const size_t message =
                DAT == DAT_CALLBACK2 ? offsetof(TW_CALLBACK2, Message) : offsetof(TW_CALLBACK, Message);
            return ReadUnaligned<TW_INT16>(pData + message) == MSG_XFERREADY;
        }
        case DataCondition::PendingCountNonZero:
            return reinterpret_cast<const TW_PENDINGXFERS*>(pData)->Count != 0;
        case DataCondition::PendingCountZero:
            return reinterpret_cast<const TW_PENDINGXFERS*>(pData)->Count == 0;
        case DataCondition::None: break;
    }
    return true;
}

}  // namespace

int CParaAnalyze::UpDateTwainStatus(unsigned int /*DG*/, unsigned short DAT, unsigned short MSG,
                                    char* pData, CallSide side) {
    for (const Transition& t : kTransitions) {
        if (t.side != side || t.msg != MSG || !DatHolds(t.dat, DAT)) continue;
        bool fromHolds = false;
        switch (t.match) {
            case From::Exactly: fromHolds = m_nTwainStatus == t.from; break;
            case From::OrHigher: fromHolds = m_nTwainStatus >= t.from; break;
            case From::WhileEnabling: fromHolds = m_nTwainStatus == t.from && m_bEnabling; break;
        }
        if (!fromHolds || !DataHolds(t.data, DAT, pData)) continue;
        m_nTwainStatus = t.to;
        break;
    }
    return m_nTwainStatus;
}

int CParaAnalyze::SetTwainStatus(int nStatus) {
    m_nTwainStatus = nStatus;
    return m_nTwainStatus;
}

void CParaAnalyze::InitTwainStatus() { m_nTwainStatus = 1; }

int CParaAnalyze::GetTwainStatus() { return m_nTwainStatus; }

// twtrace check: the protocol checker. The rules are data, each with the one line
// of the TWAIN 2.x standard that makes it a rule; the engine below only applies
// them. Only what the standard says plainly is a rule.
#include <initializer_list>
#include <string>

#include "Check.h"
#include "Commands.h"
#include "ContainerValue.h"
#include "TraceNames.h"
#include "twaintbl.h"

namespace {

enum class Side { Application, Driver };

constexpr unsigned States(std::initializer_list<int> states) {
    unsigned mask = 0;
    for (int state : states) mask |= 1u << state;
    return mask;
}
constexpr unsigned Codes(std::initializer_list<int> codes) { return States(codes); }

struct StateRule {
    TW_UINT16 dat, msg;
    unsigned states;
    const char* reason;
};

// The states in which the application may send a triplet; sending it in another
// is the application's fault.
constexpr StateRule kStateRules[] = {
    {DAT_IDENTITY, MSG_OPENDS, States({3}), "a source is opened in state 3: the manager is open, the source is not"},
    {DAT_IDENTITY, MSG_CLOSEDS, States({4}), "a source is closed in state 4: it is disabled first (MSG_DISABLEDS)"},
    {DAT_CAPABILITY, MSG_GET, States({4, 5, 6, 7}), "capabilities are asked of an open source (states 4 to 7)"},
    {DAT_CAPABILITY, MSG_GETCURRENT, States({4, 5, 6, 7}), "capabilities are asked of an open source (states 4 to 7)"},
    {DAT_CAPABILITY, MSG_GETDEFAULT, States({4, 5, 6, 7}), "capabilities are asked of an open source (states 4 to 7)"},
    {DAT_CAPABILITY, MSG_QUERYSUPPORT, States({4, 5, 6, 7}), "capabilities are asked of an open source (states 4 to 7)"},
    {DAT_CAPABILITY, MSG_SET, States({4, 5, 6}),
     "capabilities are set in state 4, extended ones also in 5 and 6, never during a transfer"},
    {DAT_CAPABILITY, MSG_RESET, States({4, 5, 6}),
     "capabilities are reset in state 4, extended ones also in 5 and 6, never during a transfer"},
    {DAT_USERINTERFACE, MSG_ENABLEDS, States({4}), "a source is enabled from state 4"},
    {DAT_USERINTERFACE, MSG_ENABLEDSUIONLY, States({4}), "a source is enabled from state 4"},
    {DAT_USERINTERFACE, MSG_DISABLEDS, States({5}), "a source is disabled in state 5, when no transfer is pending"},
    {DAT_IMAGEINFO, MSG_GET, States({6, 7}), "image information is asked once a transfer is ready (state 6)"},
    {DAT_IMAGELAYOUT, MSG_SET, States({4}), "the layout is set in state 4, before the source is enabled"},
    {DAT_IMAGELAYOUT, MSG_RESET, States({4}), "the layout is reset in state 4, before the source is enabled"},
    {DAT_IMAGEMEMXFER, MSG_GET, States({6, 7}), "a strip is asked only once a transfer is ready (states 6 and 7)"},
    {DAT_IMAGENATIVEXFER, MSG_GET, States({6}), "a native transfer starts in state 6, after MSG_XFERREADY"},
    {DAT_IMAGEFILEXFER, MSG_GET, States({6}), "a file transfer starts in state 6, after MSG_XFERREADY"},
    {DAT_SETUPMEMXFER, MSG_GET, States({4, 5, 6}), "buffer sizes are asked in states 4 to 6"},
    {DAT_PENDINGXFERS, MSG_ENDXFER, States({6, 7}), "a transfer is ended after it was ready (state 6) or done (7)"},
    {DAT_PENDINGXFERS, MSG_RESET, States({6}), "pending transfers are discarded in state 6"},
    {DAT_EXTIMAGEINFO, MSG_GET, States({7}), "extended image information is asked after the transfer, in state 7"},
    {DAT_CUSTOMDSDATA, MSG_GET, States({4}), "custom data is read in state 4"},
    {DAT_CUSTOMDSDATA, MSG_SET, States({4}), "custom data is written in state 4"},
    {DAT_ENTRYPOINT, MSG_GET, States({3, 4}), "the manager's entry points are asked in state 3 or 4"},
    {DAT_ENTRYPOINT, MSG_SET, States({3, 4}), "a source is given the manager's entry points in state 3 or 4"},
    {DAT_CALLBACK, MSG_REGISTER_CALLBACK, States({4}),
     "a callback is registered in state 4, after MSG_OPENDS and before MSG_ENABLEDS"},
    {DAT_CALLBACK2, MSG_REGISTER_CALLBACK, States({4}),
     "a callback is registered in state 4, after MSG_OPENDS and before MSG_ENABLEDS"},
};

// Messages the standard judges as another: a constrained set is a set, a reset of
// every capability a reset.
struct JudgedMessage {
    TW_UINT16 msg, judgedAs;
};
constexpr JudgedMessage kJudgedMessages[] = {
    {MSG_SETCONSTRAINT, MSG_SET},
    {MSG_RESETALL, MSG_RESET},
};

// Whether a rule for dat and msg applies to the record.
bool RuleApplies(const TraceRecord& record, TW_UINT16 dat, TW_UINT16 msg) {
    if (record.Is(dat, msg)) return true;
    for (const JudgedMessage& judged : kJudgedMessages) {
        if (judged.judgedAs == msg && record.Is(dat, judged.msg)) return true;
    }
    return false;
}

struct ReturnRule {
    TW_UINT16 dat, msg;
    unsigned codes;
    const char* reason;
};

// The return codes the standard lists for a triplet; any other is the source's fault.
constexpr ReturnRule kReturnRules[] = {
    {DAT_IDENTITY, MSG_OPENDS, Codes({TWRC_SUCCESS, TWRC_FAILURE}), "MSG_OPENDS succeeds or fails"},
    {DAT_IDENTITY, MSG_CLOSEDS, Codes({TWRC_SUCCESS, TWRC_FAILURE}), "MSG_CLOSEDS succeeds or fails"},
    {DAT_CAPABILITY, MSG_GET, Codes({TWRC_SUCCESS, TWRC_FAILURE}), "a capability query succeeds or fails"},
    {DAT_CAPABILITY, MSG_GETCURRENT, Codes({TWRC_SUCCESS, TWRC_FAILURE}), "a capability query succeeds or fails"},
    {DAT_CAPABILITY, MSG_GETDEFAULT, Codes({TWRC_SUCCESS, TWRC_FAILURE}), "a capability query succeeds or fails"},
    {DAT_CAPABILITY, MSG_QUERYSUPPORT, Codes({TWRC_SUCCESS, TWRC_FAILURE}), "a capability query succeeds or fails"},
    {DAT_CAPABILITY, MSG_SET, Codes({TWRC_SUCCESS, TWRC_CHECKSTATUS, TWRC_FAILURE}),
     "a set succeeds, succeeds with changes (TWRC_CHECKSTATUS) or fails"},
    {DAT_CAPABILITY, MSG_RESET, Codes({TWRC_SUCCESS, TWRC_CHECKSTATUS, TWRC_FAILURE}),
     "a reset succeeds, succeeds with changes (TWRC_CHECKSTATUS) or fails"},
    {DAT_USERINTERFACE, MSG_ENABLEDS, Codes({TWRC_SUCCESS, TWRC_CHECKSTATUS, TWRC_CANCEL, TWRC_FAILURE}),
     "enabling succeeds, succeeds without the asked user interface (TWRC_CHECKSTATUS), is cancelled or fails"},
    {DAT_USERINTERFACE, MSG_DISABLEDS, Codes({TWRC_SUCCESS, TWRC_FAILURE}), "MSG_DISABLEDS succeeds or fails"},
    {DAT_IMAGEINFO, MSG_GET, Codes({TWRC_SUCCESS, TWRC_FAILURE}), "image information is given or not"},
    {DAT_IMAGELAYOUT, MSG_GET, Codes({TWRC_SUCCESS, TWRC_FAILURE}), "the layout is given or not"},
    {DAT_IMAGELAYOUT, MSG_SET, Codes({TWRC_SUCCESS, TWRC_CHECKSTATUS, TWRC_FAILURE}),
     "a layout is taken, taken with changes (TWRC_CHECKSTATUS) or refused"},
    {DAT_IMAGEMEMXFER, MSG_GET, Codes({TWRC_SUCCESS, TWRC_XFERDONE, TWRC_CANCEL, TWRC_FAILURE}),
     "a strip is given (TWRC_SUCCESS), is the last (TWRC_XFERDONE), or the transfer is cancelled or fails"},
    {DAT_IMAGENATIVEXFER, MSG_GET, Codes({TWRC_XFERDONE, TWRC_CANCEL, TWRC_FAILURE}),
     "a native transfer is done, cancelled or failed: it never answers TWRC_SUCCESS"},
    {DAT_IMAGEFILEXFER, MSG_GET, Codes({TWRC_XFERDONE, TWRC_CANCEL, TWRC_FAILURE}),
     "a file transfer is done, cancelled or failed: it never answers TWRC_SUCCESS"},
    {DAT_SETUPMEMXFER, MSG_GET, Codes({TWRC_SUCCESS, TWRC_FAILURE}), "buffer sizes are given or not"},
    {DAT_PENDINGXFERS, MSG_ENDXFER, Codes({TWRC_SUCCESS, TWRC_FAILURE}), "MSG_ENDXFER succeeds or fails"},
    {DAT_PENDINGXFERS, MSG_RESET, Codes({TWRC_SUCCESS, TWRC_FAILURE}), "MSG_RESET succeeds or fails"},
    {DAT_STATUS, MSG_GET, Codes({TWRC_SUCCESS, TWRC_FAILURE}), "a status is given or not"},
    {DAT_EXTIMAGEINFO, MSG_GET, Codes({TWRC_SUCCESS, TWRC_FAILURE}),
     "extended information is given or not; an unknown item says so in its own CondCode"},
};

struct ItemTypeRule {
    TW_UINT16 cap, itemType;
    const char* reason;
};

// The item type the standard gives a well-known capability.
constexpr ItemTypeRule kItemTypeRules[] = {
    {CAP_XFERCOUNT, TWTY_INT16, "CAP_XFERCOUNT is a TW_INT16 (-1: any number of images)"},
    {CAP_SUPPORTEDCAPS, TWTY_UINT16, "CAP_SUPPORTEDCAPS lists capability ids, TW_UINT16"},
    {CAP_FEEDERENABLED, TWTY_BOOL, "CAP_FEEDERENABLED is a TW_BOOL"},
    {CAP_AUTOFEED, TWTY_BOOL, "CAP_AUTOFEED is a TW_BOOL"},
    {CAP_INDICATORS, TWTY_BOOL, "CAP_INDICATORS is a TW_BOOL"},
    {CAP_UICONTROLLABLE, TWTY_BOOL, "CAP_UICONTROLLABLE is a TW_BOOL"},
    {CAP_DEVICEONLINE, TWTY_BOOL, "CAP_DEVICEONLINE is a TW_BOOL"},
    {CAP_DUPLEXENABLED, TWTY_BOOL, "CAP_DUPLEXENABLED is a TW_BOOL"},
    {ICAP_COMPRESSION, TWTY_UINT16, "ICAP_COMPRESSION is a TW_UINT16 (TWCP_ values)"},
    {ICAP_PIXELTYPE, TWTY_UINT16, "ICAP_PIXELTYPE is a TW_UINT16 (TWPT_ values)"},
    {ICAP_UNITS, TWTY_UINT16, "ICAP_UNITS is a TW_UINT16 (TWUN_ values)"},
    {ICAP_XFERMECH, TWTY_UINT16, "ICAP_XFERMECH is a TW_UINT16 (TWSX_ values)"},
    {ICAP_BITDEPTH, TWTY_UINT16, "ICAP_BITDEPTH is a TW_UINT16"},
    {ICAP_ORIENTATION, TWTY_UINT16, "ICAP_ORIENTATION is a TW_UINT16 (TWOR_ values)"},
    {ICAP_XRESOLUTION, TWTY_FIX32, "ICAP_XRESOLUTION is a TW_FIX32"},
    {ICAP_YRESOLUTION, TWTY_FIX32, "ICAP_YRESOLUTION is a TW_FIX32"},
    {ICAP_BRIGHTNESS, TWTY_FIX32, "ICAP_BRIGHTNESS is a TW_FIX32"},
    {ICAP_CONTRAST, TWTY_FIX32, "ICAP_CONTRAST is a TW_FIX32"},
    {ICAP_GAMMA, TWTY_FIX32, "ICAP_GAMMA is a TW_FIX32"},
    {ICAP_ROTATION, TWTY_FIX32, "ICAP_ROTATION is a TW_FIX32"},
    {ICAP_THRESHOLD, TWTY_FIX32, "ICAP_THRESHOLD is a TW_FIX32"},
    {ICAP_PHYSICALWIDTH, TWTY_FIX32, "ICAP_PHYSICALWIDTH is a TW_FIX32"},
    {ICAP_PHYSICALHEIGHT, TWTY_FIX32, "ICAP_PHYSICALHEIGHT is a TW_FIX32"},
    {ICAP_FRAMES, TWTY_FRAME, "ICAP_FRAMES is a TW_FRAME"},
};

}  // namespace

int64_t StandardItemType(int64_t cap) {
    for (const ItemTypeRule& rule : kItemTypeRules)
        if (rule.cap == cap) return rule.itemType;
    return -1;
}

namespace {

// What a container's own fields say; the finding's text when they contradict each other.
struct ContainerRule {
    const char* block;
    std::string (*contradiction)(const TraceRecord&);
    const char* reason;
};

int64_t NumberIn(const TraceRecord& record, const char* field, const char* block, bool& ok) {
    int64_t value = 0;
    const TraceNode* node = record.Field(field, block);
    ok = ok && node && ParseTraceNumber(node->value, value);
    return value;
}

std::string IndexOutside(const TraceRecord& record, const char* index) {
    bool ok = true;
    int64_t items = NumberIn(record, "NumItems", "TW_ENUMERATION", ok);
    int64_t at = NumberIn(record, index, "TW_ENUMERATION", ok);
    if (!ok || at < items) return "";
    return std::string(index) + " " + std::to_string(at) + " of " + std::to_string(items) + " items";
}

// A range's values as numbers: integers as shown, TW_FIX32 decimals scaled by 1000.
bool RangeValue(const TraceRecord& record, const char* field, int64_t& value) {
    const TraceNode* node = record.Field(field, "TW_RANGE");
    if (!node) return false;
    if (ParseTraceNumber(node->value, value)) return true;
    char* end = nullptr;
    double number = strtod(node->value.c_str(), &end);
    if (node->value.empty() || *end != '\0' || node->value.find('.') == std::string::npos) return false;
    value = static_cast<int64_t>(number * 1000.0 + (number < 0 ? -0.5 : 0.5));
    return true;
}

std::string RangeOutside(const TraceRecord& record, const char* field) {
    int64_t low, high, value;
    if (!RangeValue(record, "MinValue", low) || !RangeValue(record, "MaxValue", high) ||
        !RangeValue(record, field, value) || low > high || (value >= low && value <= high))
        return "";
    return std::string(field) + " " + record.Field(field, "TW_RANGE")->value + " outside " +
           record.Field("MinValue", "TW_RANGE")->value + ".." + record.Field("MaxValue", "TW_RANGE")->value;
}

// TW_ENTRYPOINT's Size as the structure's own size, or "" when it is that.
std::string EntryPointSizeWrong(const TraceRecord& record) {
    bool ok = true;
    int64_t size = NumberIn(record, "Size", "TW_ENTRYPOINT", ok);
    if (!ok || size == static_cast<int64_t>(sizeof(TW_ENTRYPOINT))) return "";
    return "Size " + std::to_string(size) + ", not " + std::to_string(sizeof(TW_ENTRYPOINT));
}

constexpr ContainerRule kContainerRules[] = {
    {"TW_ENTRYPOINT", EntryPointSizeWrong, "TW_ENTRYPOINT.Size is the size of the structure, set by the application"},
    {"TW_ENUMERATION", [](const TraceRecord& r) { return IndexOutside(r, "CurrentIndex"); },
     "an enumeration's CurrentIndex points at one of its items"},
    {"TW_ENUMERATION", [](const TraceRecord& r) { return IndexOutside(r, "DefaultIndex"); },
     "an enumeration's DefaultIndex points at one of its items"},
    {"TW_RANGE",
     [](const TraceRecord& r) {
         int64_t low, high;
         if (!RangeValue(r, "MinValue", low) || !RangeValue(r, "MaxValue", high) || low <= high) return std::string();
         return "MinValue " + r.Field("MinValue", "TW_RANGE")->value + " above MaxValue " +
                r.Field("MaxValue", "TW_RANGE")->value;
     },
     "a range's MinValue is not above its MaxValue"},
    {"TW_RANGE", [](const TraceRecord& r) { return RangeOutside(r, "CurrentValue"); },
     "a range's CurrentValue lies within MinValue..MaxValue"},
    {"TW_RANGE", [](const TraceRecord& r) { return RangeOutside(r, "DefaultValue"); },
     "a range's DefaultValue lies within MinValue..MaxValue"},
};

constexpr const char* kCutReason = "a container's block holds at least what its type needs (its fixed part, whole items)";

// What the source says to the manager, in the states it may say it; from inside
// the application's MSG_ENABLEDS the source counts as enabled already.
struct SourceRule {
    TW_UINT16 msg;
    unsigned states;
    const char* reason;
};

constexpr SourceRule kSourceRules[] = {
    {MSG_XFERREADY, States({5}), "MSG_XFERREADY is said once, by an enabled source (state 5), before a transfer"},
};

bool AsksForImage(const TraceRecord& record) {
    return record.Is(DAT_IMAGEINFO, MSG_GET) || record.Is(DAT_IMAGEMEMXFER, MSG_GET) ||
           record.Is(DAT_IMAGENATIVEXFER, MSG_GET) || record.Is(DAT_IMAGEFILEXFER, MSG_GET);
}

constexpr const char* kReadyFirstReason =
    "an image is asked for only after the source said MSG_XFERREADY (where the source's calls are seen)";
constexpr const char* kCloseRequestReason = "after MSG_CLOSEDSREQ the application disables the source (MSG_DISABLEDS)";

constexpr const char* kStatusReason = "after TWRC_FAILURE the application asks DAT_STATUS for the condition code";
constexpr const char* kStripReason = "a strip's BytesWritten fits in the buffer the application gave (Memory.Length)";

}  // namespace

class CChecker {
public:
    explicit CChecker(std::function<void(const Finding&)> found) : m_found(std::move(found)) {}

    void Take(const TraceRecord& record) {
        m_record = m_taken++;
        // A call that never returned is damage only when more records follow it.
        if (!m_openCall.empty())
            m_found({m_openRecord, m_openCall, "damaged", nullptr, m_openDamage, ""});
        m_openCall.clear();
        std::string name = RecordName(record, m_lastNumber);
        bool open = record.kind == TraceRecord::Kind::Triplet && !record.hasResult && !record.damage.empty();
        for (size_t i = 0; i + open < record.damage.size(); ++i) Report(name, "damaged", nullptr, record.damage[i], "");
        if (open) {
            // The reader names the missing return code last.
            m_openCall = name;
            m_openRecord = m_record;
            m_openDamage = record.damage.back();
            m_openText = EndsInside(record);
        }
        if (record.kind == TraceRecord::Kind::Unreadable) return;
        // The state its call was sent in: for a record whose result came after the
        // source's own records, the state before those.
        if (record.withinNumber >= 0 && m_heldNumber != record.withinNumber) {
            m_heldNumber = record.withinNumber;
            m_stateBeforeHeld = m_state;
        }
        if (record.kind == TraceRecord::Kind::Triplet && record.number == m_heldNumber) {
            m_state = m_stateBeforeHeld;
            m_heldNumber = -1;
        }
        if (record.FromSource()) {
            m_lastNumber = record.number;
            CheckSource(record, name);
        } else if (record.kind == TraceRecord::Kind::Triplet) {
            m_lastNumber = record.number;
            if (!m_unasked.empty() && !record.Is(DAT_STATUS, MSG_GET)) StatusNeverAsked();
            m_unasked.clear();
            if (record.number == 1) m_state = 3;  // the monitor starts a trace in state 3
            CheckState(record, name);
            CheckReturnCode(record, name);
            CheckContainer(record, name);
            CheckStrip(record, name);
            CheckAgainstSource(record, name);
            if (record.hasResult && record.rc.value == TWRC_FAILURE) {
                m_unasked = name;
                m_unaskedRecord = m_record;
            }
        }
        // The state after the record; unknown when a record that should show it does not.
        if (record.hasState) m_state = record.state;
        else if (record.hasResult && record.rc.value != TWRC_FAILURE) m_state = 0;
    }

    void Finish() {
        if (!m_openCall.empty())
            m_found({m_openRecord, m_openCall, "ends inside a call", nullptr, m_openText, ""});
        m_openCall.clear();
        if (!m_closeRequest.empty())
            m_found({m_closeRequestRecord, m_closeRequest, "close request", "application",
                     "the source was never disabled", kCloseRequestReason});
        m_closeRequest.clear();
        if (!m_unasked.empty()) StatusNeverAsked();
        m_unasked.clear();
    }

private:
    void Report(const std::string& record, const char* rule, const char* side, const std::string& what,
                 const char* reason) {
        m_found({m_record, record, rule, side, what, reason});
    }
    void StatusNeverAsked() {
        m_found({m_unaskedRecord, m_unasked, "status never asked", "application", "the condition code of the failure",
                 kStatusReason});
    }

    void CheckState(const TraceRecord& record, const std::string& name) {
        if (m_state == 0) return;
        for (const StateRule& rule : kStateRules) {
            if (!RuleApplies(record, rule.dat, rule.msg) || (rule.states & (1u << m_state))) continue;
            Report(name, "state", "application", "sent in state " + std::to_string(m_state), rule.reason);
        }
    }

    void CheckSource(const TraceRecord& record, const std::string& name) {
        m_sourceSeen = true;
        const TW_UINT16 message = SourceMessage(record);
        const bool whileEnabling = record.withinMsg == MSG_ENABLEDS && m_state == 4;
        if (m_state != 0 && !whileEnabling) {
            for (const SourceRule& rule : kSourceRules) {
                if (rule.msg != message || (rule.states & (1u << m_state))) continue;
                Report(name, "state", "driver", "said in state " + std::to_string(m_state), rule.reason);
            }
        }
        if (SaysReady(record, m_state)) {
            if (record.withinMsg == MSG_ENABLEDS) m_readyWithinEnable = true;
            else m_readySaid = true;
        }
        if (message == MSG_CLOSEDSREQ && m_closeRequest.empty()) {
            m_closeRequest = name;
            m_closeRequestRecord = m_record;
        }
    }

    // The application's side against what the source said.
    void CheckAgainstSource(const TraceRecord& record, const std::string& name) {
        if (record.Is(DAT_USERINTERFACE, MSG_ENABLEDS)) {
            m_readySaid = m_readyWithinEnable;
            m_readyWithinEnable = false;
        }
        if (m_sourceSeen && !m_readySaid && AsksForImage(record))
            Report(name, "not ready", "application", "asked before the source said MSG_XFERREADY", kReadyFirstReason);
        if (!m_closeRequest.empty()) {
            if (record.Is(DAT_USERINTERFACE, MSG_DISABLEDS)) {
                m_closeRequest.clear();
            } else if (AsksForImage(record) || record.msg.value == MSG_CLOSEDS || record.msg.value == MSG_ENABLEDS) {
                m_found({m_closeRequestRecord, m_closeRequest, "close request", "application", "answered by " + name,
                         kCloseRequestReason});
                m_closeRequest.clear();
            }
        }
        if (record.hasState && record.state <= 5 && !record.Is(DAT_USERINTERFACE, MSG_ENABLEDS)) m_readySaid = false;
    }

    void CheckReturnCode(const TraceRecord& record, const std::string& name) {
        if (!record.hasResult || !record.rc.known || record.rc.value >= TWRC_CUSTOMBASE) return;
        for (const ReturnRule& rule : kReturnRules) {
            if (!RuleApplies(record, rule.dat, rule.msg) || (rule.codes & (1u << record.rc.value))) continue;
            Report(name, "return code", "driver", record.rc.text + " is not a code of this triplet", rule.reason);
        }
    }

    void CheckContainer(const TraceRecord& record, const std::string& name) {
        if (!record.hasResult) return;
        // What a set carries is the application's; anything else the driver left.
        const char* side =
            RuleApplies(record, static_cast<TW_UINT16>(record.dat.value), MSG_SET) ? "application" : "driver";
        const char* kind = record.dat.value == DAT_CAPABILITY ? "container" : "structure";
        if (record.dat.value == DAT_CAPABILITY) {
            std::string cut = ContainerCut(record);
            if (!cut.empty()) Report(name, "container cut", side, cut, kCutReason);
        }
        for (const ContainerRule& rule : kContainerRules) {
            if (!record.Block(rule.block)) continue;
            std::string contradiction = rule.contradiction(record);
            if (!contradiction.empty()) Report(name, kind, side, contradiction, rule.reason);
        }
        if (record.dat.value != DAT_CAPABILITY) return;
        const TraceNode* type = record.Field("ItemType");
        int64_t itemType = 0;
        if (!type || !record.hasCap || !ValueOfName(NameKind::ItemType, type->value, itemType)) return;
        for (const ItemTypeRule& rule : kItemTypeRules) {
            if (rule.cap != record.cap.value || rule.itemType == itemType) continue;
            Report(name, "item type", side, "item type " + type->value, rule.reason);
        }
    }

    void CheckStrip(const TraceRecord& record, const std::string& name) {
        if (!record.Is(DAT_IMAGEMEMXFER, MSG_GET) || !record.hasResult) return;
        bool ok = true;
        int64_t written = NumberIn(record, "BytesWritten", "TW_IMAGEMEMXFER", ok);
        int64_t length = NumberIn(record, "Length", "TW_MEMORY", ok);
        if (!ok || static_cast<uint32_t>(written) <= static_cast<uint32_t>(length)) return;
        Report(name, "strip", "driver",
                "BytesWritten " + std::to_string(static_cast<uint32_t>(written)) + " in a buffer of " +
                    std::to_string(static_cast<uint32_t>(length)) + " bytes",
                kStripReason);
    }

    std::function<void(const Finding&)> m_found;
    uint64_t m_taken = 0, m_record = 0;
    int64_t m_lastNumber = 0;
    int m_state = 0;
    std::string m_unasked;  // the last failure, until the next triplet asks its status
    uint64_t m_unaskedRecord = 0;
    std::string m_openCall, m_openDamage, m_openText;  // a triplet without its return code, until the next record
    uint64_t m_openRecord = 0;
    // The record whose result came after the source's records, and the state before it.
    int64_t m_heldNumber = -1;
    int m_stateBeforeHeld = 0;
    bool m_sourceSeen = false;          // the trace shows the source's own calls
    bool m_readySaid = false;           // since the source was last enabled
    bool m_readyWithinEnable = false;   // said from inside an MSG_ENABLEDS not yet read
    std::string m_closeRequest;         // the source's MSG_CLOSEDSREQ not yet answered
    uint64_t m_closeRequestRecord = 0;
};

CProtocolCheck::CProtocolCheck(std::function<void(const Finding&)> found)
    : m(std::make_unique<CChecker>(std::move(found))) {}
CProtocolCheck::~CProtocolCheck() = default;
void CProtocolCheck::Take(const TraceRecord& record) { m->Take(record); }
void CProtocolCheck::Finish() { m->Finish(); }

int RunCheck(CTraceReader& reader, std::ostream& out, ReadProblem& problem) {
    size_t findings = 0, application = 0, driver = 0, damaged = 0;
    CProtocolCheck checker([&](const Finding& finding) {
        ++findings;
        if (!finding.side) ++damaged;
        else if (finding.side[0] == 'a') ++application;
        else ++driver;
        out << finding.name << ": " << finding.rule << ": " << (finding.side ? finding.side : "")
            << (finding.side ? ": " : "") << finding.what;
        if (finding.reason[0]) out << "; rule: " << finding.reason;
        out << "\n";
    });
    int status = ReadEach(reader, problem, [&](const TraceRecord& record) { checker.Take(record); });
    if (status == kExitUnreadable) return status;
    checker.Finish();
    if (findings == 0) out << "No protocol fault found.\n";
    else
        out << findings << " findings: " << application << " of the application, " << driver << " of the driver, "
            << damaged << " damaged records or lines\n";
    return findings ? kExitFindings : kExitClean;
}

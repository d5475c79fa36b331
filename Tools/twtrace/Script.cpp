// twtrace script: a twhost session script that replays the application's side of
// a trace. Each triplet becomes a line with the arguments the script language
// takes and the traced return code as its expectation; the claimed event and the
// strips of a memory transfer fold into waitxferready and memxfer. What the
// language cannot say is left out, with a comment line that says why.
#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Commands.h"
#include "ContainerValue.h"
#include "TraceNames.h"
#include "twaintbl.h"

namespace {

using Words = std::optional<std::string>;  // the script text, or nothing when it cannot be said

// A constant as a script word: its name, or its number where the trace has none.
std::string Word(const TraceName& name) {
    return name.text.rfind("ERROR!", 0) == 0 ? std::to_string(name.value) : name.text;
}

// The exact decimal of the TW_FIX32 nearest to a "%.3f" text, so that the script
// sends the value the trace shows whatever rounding the host applies.
Words Fix32Word(std::string_view text) {
    std::string copy(text);
    char* end = nullptr;
    double value = strtod(copy.c_str(), &end);
    if (copy.empty() || *end != '\0' || !std::isfinite(value) || value < -32768.0 || value >= 32768.0) return {};
    long long bits = std::llround(value * 65536.0);
    unsigned long long magnitude = bits < 0 ? -bits : bits;
    std::string word = (bits < 0 ? "-" : "") + std::to_string(magnitude >> 16);
    unsigned long long frac = (magnitude & 0xffff) * 152587890625ULL;  // 5^16: frac / 2^16 in 16 decimals
    if (frac) {
        std::string digits = std::to_string(frac);
        digits.insert(0, 16 - digits.size(), '0');
        digits.erase(digits.find_last_not_of('0') + 1);
        word += "." + digits;
    }
    return word;
}

// "TYPE value" standing in for a capability's item: the standard's type of it
// when the tables know one, with a zero of that type.
std::string StandInItem(int64_t cap) {
    int64_t type = StandardItemType(cap);
    if (type < 0) return "TWTY_UINT16 0";
    const char* zero = type == TWTY_FRAME ? "0 0 0 0" : type >= TWTY_STR32 && type <= TWTY_STR255 ? "\"\"" : "0";
    return NameOfValue(NameKind::ItemType, type) + " " + zero;
}

// One item of a container as the trace shows it, as the script's word(s) for it.
Words ItemWords(int64_t itemType, std::string_view text) {
    int64_t value = 0;
    switch (itemType) {
        case TWTY_INT8:  // shown as the hex of its sign-extended value
            if (!ParseTraceNumber(text, value)) return {};
            return std::to_string(static_cast<int8_t>(value));
        case TWTY_INT16:
        case TWTY_INT32:
        case TWTY_UINT8:
            if (!ParseTraceNumber(text, value)) return {};
            return std::string(text);
        case TWTY_UINT32:  // shown signed
            if (!ParseTraceNumber(text, value)) return {};
            return std::to_string(static_cast<uint32_t>(value));
        case TWTY_BOOL:
            if (text == "true" || text == "false") return std::string(text == "true" ? "1" : "0");
            return {};
        case TWTY_UINT16: {
            if (text.empty()) return std::string("0");  // a supported-capabilities item of 0
            if (ParseTraceNumber(text, value)) return std::string(text);
            if (ValueOfName(NameKind::Value, text, value))
                return text.rfind("ERROR!", 0) == 0 ? std::to_string(value) : std::string(text);
            // The vendor's version: "%x.%x" of its two bytes.
            size_t dot = text.find('.');
            int64_t high = 0, low = 0;
            if (dot == std::string_view::npos ||
                !ParseTraceNumber("0x" + std::string(text.substr(0, dot)), high) ||
                !ParseTraceNumber("0x" + std::string(text.substr(dot + 1)), low) || high > 0xff || low > 0xff)
                return {};
            return std::to_string(high << 8 | low);
        }
        case TWTY_FIX32: return Fix32Word(text);
        case TWTY_FRAME: {
            std::string words;
            for (size_t start = 0, part = 0; part < 4; ++part) {
                size_t comma = text.find(',', start);
                if ((comma == std::string_view::npos) != (part == 3)) return {};
                Words edge = Fix32Word(text.substr(start, comma - start));
                if (!edge) return {};
                words += (part ? " " : "") + *edge;
                start = comma + 1;
            }
            return words;
        }
        case TWTY_STR32:
        case TWTY_STR64:
        case TWTY_STR128:
        case TWTY_STR255:
            // The language has no escapes: a quote or an escaped control character cannot be said.
            if (text.find_first_of("\"\\") != std::string_view::npos) return {};
            return "\"" + std::string(text) + "\"";
        default: return {};
    }
}

struct Container {
    std::string words;   // "ONEVALUE TWTY_UINT16 TWSX_MEMORY" and so on
    std::string reason;  // why not, when words is empty
};

// The container a record shows, as the script's words.
Container ContainerWords(const TraceRecord& record) {
    static constexpr struct {
        const char* block;
        const char* word;
    } kContainers[] = {
        {"TW_ONEVALUE", "ONEVALUE"}, {"TW_ARRAY", "ARRAY"}, {"TW_ENUMERATION", "ENUMERATION"}, {"TW_RANGE", "RANGE"}};
    for (const auto& kind : kContainers) {
        const TraceNode* block = record.Block(kind.block);
        if (!block) continue;
        std::string cut = ContainerCut(record);
        if (!cut.empty()) return {"", cut};
        const TraceNode* type = record.Field("ItemType", kind.block);
        int64_t itemType = 0;
        if (!type || !ValueOfName(NameKind::ItemType, type->value, itemType))
            return {"", "its container's item type is not one the script knows"};
        std::string words = std::string(kind.word) + " " + type->value;
        auto add = [&](const TraceNode* node, const char* what) {
            Words item = node && !node->cut ? ItemWords(itemType, node->value) : Words{};
            if (!item) return std::string(what) + " '" + (node ? node->value : "") + "' cannot be written as a " +
                              type->value + " value";
            words += " " + *item;
            return std::string();
        };
        std::string problem;
        if (kind.word == std::string_view("ONEVALUE")) {
            problem = add(record.Field("Item", kind.block), "its item");
        } else if (kind.word == std::string_view("RANGE")) {
            for (const char* field : {"MinValue", "MaxValue", "StepSize", "DefaultValue", "CurrentValue"})
                if (problem.empty()) problem = add(record.Field(field, kind.block), field);
        } else {
            if (kind.word == std::string_view("ENUMERATION")) {
                const TraceNode* current = record.Field("CurrentIndex", kind.block);
                const TraceNode* fallback = record.Field("DefaultIndex", kind.block);
                if (!current || !fallback) return {"", "its enumeration has no indexes"};
                words += " " + current->value + " " + fallback->value;
            }
            const TraceNode* count = record.Field("NumItems", kind.block);
            size_t items = 0;
            std::span<const TraceNode> nodes = record.Nodes();
            for (size_t i = static_cast<size_t>(block - nodes.data()) + 1;
                 i < nodes.size() && nodes[i].depth > block->depth && problem.empty(); ++i) {
                if (nodes[i].kind == TraceNode::Kind::Marker) problem = "its list is cut: " + nodes[i].value;
                if (nodes[i].kind != TraceNode::Kind::Item) continue;
                ++items;
                problem = add(&nodes[i], "item");
            }
            if (problem.empty() && (!count || count->value != std::to_string(items)))
                problem = "the trace shows " + std::to_string(items) + " of its items";
        }
        if (problem.empty() && record.overLength) problem = "the record was cut at 5120 characters";
        if (!problem.empty()) return {"", problem};
        return {words, ""};
    }
    return {"", ""};
}

class CScriptWriter {
public:
    explicit CScriptWriter(std::ostream& out) : m_out(out) {}

    void Take(const TraceRecord& record) {
        if (record.kind == TraceRecord::Kind::Unreadable) {
            Flush();
            Comment(RecordName(record, m_lastNumber) + " are no trace record: left out");
            return;
        }
        if (record.kind == TraceRecord::Kind::Event) {
            Flush();
            const TraceNode* message = record.Field("TWMessage");
            if (message && message->value == "MSG_XFERREADY") Line("waitxferready", RecordName(record, m_lastNumber));
            else Comment(RecordName(record, m_lastNumber) + ": waitxferready waits for MSG_XFERREADY only: left out");
            return;
        }
        if (record.FromSource()) {
            Flush();
            m_lastNumber = record.number;
            const std::string name = RecordName(record, m_lastNumber);
            // twhost waits for the source's MSG_XFERREADY as for the event; one said
            // from inside MSG_ENABLEDS is waited for after it.
            if (!SaysReady(record, m_state)) Comment(name + ": the source's call to the manager: not replayed");
            else if (record.withinNumber >= 0) m_readyAfter = {record.withinNumber, name};
            else Line("waitxferready", name);
            if (record.hasState) m_state = record.state;
            return;
        }
        m_lastNumber = record.number;
        if (record.hasState) m_state = record.state;
        RememberContainer(record);
        if (record.Is(DAT_SETUPMEMXFER, MSG_GET) && record.rc.value == TWRC_SUCCESS) {
            const TraceNode* preferred = record.Field("Preferred", "TW_SETUPMEMXFER");
            if (preferred && preferred->value != "0") m_bufferSize = preferred->value;
        }
        if (record.Is(DAT_IMAGEMEMXFER, MSG_GET) && record.dg.value == DG_IMAGE && record.hasResult) {
            // twhost gives every strip a buffer of the source's preferred size.
            const TraceNode* length = record.Field("Length", "TW_MEMORY");
            if (m_strips.empty() && length && length->value != m_bufferSize)
                Comment(RecordName(record, m_lastNumber) + ": the application's buffer held " + length->value +
                        " bytes; twhost gives " + m_bufferSize);
            m_strips.push_back(TripletLine(record));
            if (record.rc.value == TWRC_SUCCESS) return;
            if (record.rc.value == TWRC_XFERDONE) {
                Line("memxfer", m_stripNames.empty() ? RecordName(record, m_lastNumber)
                                                     : m_stripNames + "-" + Number(record));
                m_strips.clear();
                m_stripNames.clear();
                return;
            }
            Flush();
            return;
        }
        Flush();
        std::string line = TripletLine(record);
        if (!line.empty()) m_out << line << "\n";
        if (record.number == m_readyAfter.first) {
            Line("waitxferready", m_readyAfter.second);
            m_readyAfter = {-1, ""};
        }
    }

    // Strips that did not end in TWRC_XFERDONE stay single triplets.
    void Flush() {
        for (const std::string& line : m_strips)
            if (!line.empty()) m_out << line << "\n";
        m_strips.clear();
        m_stripNames.clear();
    }

private:
    static std::string Number(const TraceRecord& record) { return RecordNumber(record.number); }
    void Comment(const std::string& text) { m_out << "# " << text << "\n"; }
    void Line(const std::string& words, const std::string& source) { m_out << words << "  # " << source << "\n"; }

    // The triplet's line, or a comment that says why it is left out.
    std::string TripletLine(const TraceRecord& record) {
        std::string name = RecordName(record, m_lastNumber);
        if (m_strips.empty() && record.Is(DAT_IMAGEMEMXFER, MSG_GET)) m_stripNames = Number(record);
        if (!record.dg.known || !record.dat.known || !record.msg.known || (record.hasCap && !record.cap.known))
            return "# " + name + ": a name of its triplet is not in the tables: left out";
        std::string words = Word(record.dg) + " " + Word(record.dat) + " " + Word(record.msg);
        std::string notes;
        std::string problem = Arguments(record, words, notes);
        if (!problem.empty()) return "# " + name + ": " + problem + ": left out";
        if (!record.hasResult) {
            notes += "# " + name + " has no result in the trace (did the call return?)\n";
        } else {
            words += " -> " + Word(record.rc);
            const TraceNode* condition = record.Field("ConditionCode", "TW_STATUS");
            if (record.dat.value == DAT_STATUS && record.rc.value != TWRC_FAILURE && condition) {
                int64_t value = 0;
                if (ValueOfName(NameKind::ConditionCode, condition->value, value))
                    words += " " + (condition->value.rfind("ERROR!", 0) == 0 ? std::to_string(value) : condition->value);
            }
        }
        return notes + words + "  # " + Number(record);
    }

    // The arguments of the triplet's DAT; a reason when they cannot be given.
    std::string Arguments(const TraceRecord& record, std::string& words, std::string& notes) {
        const int64_t dat = record.dat.value, msg = record.msg.value;
        const bool sets = msg == MSG_SET;
        auto field = [&](const char* name, const char* block) { return record.Field(name, block); };
        switch (dat) {
            case DAT_CAPABILITY: {
                if (!record.hasCap) return "the capability is not named";
                words += " " + Word(record.cap);
                if (!sets) return "";
                Container container = ContainerWords(record);
                if (!container.reason.empty()) return "its container cannot be replayed: " + container.reason;
                if (!container.words.empty()) {
                    words += " " + container.words;
                    return "";
                }
                // A failed set shows no container: a stand-in of the shown kind takes its place.
                const TraceNode* conType = field("ConType", "TW_CAPABILITY");
                std::string kind = conType ? conType->value : "";
                if (kind == "TWON_DONTCARE16" || kind.empty()) return "";
                auto seen = m_seenItem.find(record.cap.value);
                std::string item = seen != m_seenItem.end() ? seen->second : StandInItem(record.cap.value);
                size_t blank = item.find(' ');
                std::string type = item.substr(0, blank), value = item.substr(blank + 1);
                if (kind == "TWON_ONEVALUE") words += " ONEVALUE " + item;
                else if (kind == "TWON_ARRAY") words += " ARRAY " + item;
                else if (kind == "TWON_ENUMERATION") words += " ENUMERATION " + type + " 0 0 " + value;
                else if (kind != "TWON_RANGE") return "its container type " + kind + " has no script form";
                else if (type == "TWTY_FRAME" || value[0] == '"') return "a range of " + type + " has no script form";
                else words += " RANGE " + type + " " + value + " " + value + " 1 " + value + " " + value;
                notes += "# " + RecordName(record, m_lastNumber) +
                         ": a failed MSG_SET shows no container; these values stand in for it\n";
                return "";
            }
            case DAT_USERINTERFACE: {
                const TraceNode* show = field("ShowUI", "TW_USERINTERFACE");
                const TraceNode* modal = field("ModalUI", "TW_USERINTERFACE");
                if (show && modal)
                    words += std::string(show->value == "true" ? " 1" : " 0") + (modal->value == "true" ? " 1" : " 0");
                return "";
            }
            case DAT_IMAGELAYOUT: {
                if (!sets) return "";
                for (const char* edge : {"Left", "Top", "Right", "Bottom"}) {
                    const TraceNode* node = field(edge, "TW_FRAME");
                    Words value = node ? Fix32Word(node->value) : Words{};
                    if (!value) return std::string("its frame's ") + edge + " is not shown";
                    words += " " + *value;
                }
                return "";
            }
            case DAT_EXTIMAGEINFO: {
                const TraceNode* count = field("NumInfos", "TW_EXTIMAGEINFO");
                const TraceNode* first = field("InfoID", "TW_INFO");
                int64_t infos = 0, id = 0;
                if (!count || !ParseTraceNumber(count->value, infos) || infos < 0 || infos > 100)
                    return "its number of InfoIDs is not shown or too large";
                if (infos == 0) return "";
                if (!first || !ParseTraceNumber(first->value, id)) return "its first InfoID is not shown";
                for (int64_t i = 0; i < infos; ++i) words += " " + std::to_string(id + i);
                if (infos > 1)
                    notes += "# " + RecordName(record, m_lastNumber) + ": the trace shows the first of " +
                             count->value + " InfoIDs; the others are taken to follow it\n";
                return "";
            }
            case DAT_GRAYRESPONSE:
            case DAT_RGBRESPONSE:
                if (sets)
                    notes += "# " + RecordName(record, m_lastNumber) +
                             ": the trace shows the curve's first entry only; an identity curve stands in\n";
                return "";
            // twhost, as the manager, hands the source entry points of its own.
            case DAT_ENTRYPOINT: return "";
            // The vendor's message triplet carries no data the trace shows.
            case DAT_KQ_TWAINCALLBACKMSG: return "";
            default:
                if (sets) return "the script cannot give the fields of this structure";
                return "";
        }
    }

    // The item type and first item of each capability's last shown container,
    // the stand-in for a failed set of it.
    void RememberContainer(const TraceRecord& record) {
        if (record.dat.value != DAT_CAPABILITY || !record.hasCap) return;
        Container container = ContainerWords(record);
        if (container.words.empty()) return;
        // "KIND TYPE [indexes] first ...": keep TYPE and the first item.
        std::vector<std::string> parts;
        for (size_t start = 0; start < container.words.size();) {
            size_t blank = container.words.find(' ', start);
            if (blank == std::string::npos) blank = container.words.size();
            parts.push_back(container.words.substr(start, blank - start));
            start = blank + 1;
        }
        size_t first = parts[0] == "ENUMERATION" ? 4 : 2;
        if (parts.size() > first && parts[1] != "TWTY_FRAME" && parts[first].front() != '"')
            m_seenItem[record.cap.value] = parts[1] + " " + parts[first];
    }

    std::ostream& m_out;
    int64_t m_lastNumber = 0;
    int m_state = 0;
    // A waitxferready for the source's MSG_XFERREADY said inside the call of this
    // number, written after that call's line; -1 when none waits.
    std::pair<int64_t, std::string> m_readyAfter{-1, ""};
    std::vector<std::string> m_strips;
    std::string m_stripNames;
    std::map<int64_t, std::string> m_seenItem;
    std::string m_bufferSize = "65536";  // twhost's strip buffer before the source named its preferred size
};

}  // namespace

int RunScript(CTraceReader& reader, std::ostream& out, ReadProblem& problem) {
    out << "# A twhost session script that replays the application's side of a trace (twtrace script).\n";
    CScriptWriter writer(out);
    int status = ReadEach(reader, problem, [&](const TraceRecord& record) { writer.Take(record); });
    writer.Flush();
    return status;
}

// twtrace json: one JSON object per record, whatever the input: every string is
// escaped, bytes that are not UTF-8 are taken as Latin-1, damage is listed.
#include <span>
#include <string_view>
#include <vector>

#include "Commands.h"
#include "JsonText.h"

size_t Utf8Length(std::string_view text, size_t i) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char c = byte(i);
    size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (n == 0 || i + n > text.size()) return 0;
    for (size_t k = 1; k < n; ++k)
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    if (n == 3 && ((c == 0xE0 && byte(i + 1) < 0xA0) || (c == 0xED && byte(i + 1) >= 0xA0))) return 0;
    if (n == 4 && ((c == 0xF0 && byte(i + 1) < 0x90) || (c == 0xF4 && byte(i + 1) >= 0x90))) return 0;
    return n;
}

void AppendJsonString(std::string& out, std::string_view text, bool inPage) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (inPage && (c == '<' || c == '>' || c == '&')) {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else if (inPage && (c == '\n' || c == '\t')) {
            out += c == '\n' ? "\\n" : "\\t";  // the records' text is mostly lines: keep the page small
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else if (size_t n = c >= 0x80 ? Utf8Length(text, i) : 0) {
            out.append(text.substr(i, n));
            i += n - 1;
        } else {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    out += '"';
}

namespace {

void AppendName(std::string& out, std::string_view key, const TraceName& name) {
    out += ",\"";
    out += key;
    out += "\":{\"name\":";
    AppendJsonString(out, name.text);
    if (name.known) out += ",\"value\":" + std::to_string(name.value);
    out += '}';
}

// The keys of one object so far: a repeated name gets "#2", "#3", ...
class CKeys {
public:
    void Add(std::string& out, std::string_view key) {
        int seen = 1;
        for (const std::string& k : m_keys) seen += k == key;
        m_keys.emplace_back(key);
        if (m_keys.size() > 1) out += ',';
        AppendJsonString(out, seen > 1 ? std::string(key) + "#" + std::to_string(seen) : std::string(key));
        out += ':';
    }

private:
    std::vector<std::string> m_keys;
};

// The nodes from i on at this depth, as the members of one object (or, for an
// item list, the elements of an array); returns the index after them.
size_t AppendMembers(std::string& out, std::span<const TraceNode> nodes, size_t i, int depth, bool asArray) {
    CKeys keys;
    bool first = true;
    while (i < nodes.size() && nodes[i].depth >= depth) {
        const TraceNode& node = nodes[i];
        if (node.kind == TraceNode::Kind::Marker) {
            ++i;
            continue;
        }
        if (asArray) {
            if (!first) out += ',';
            first = false;
            if (node.kind == TraceNode::Kind::Block) {
                out += "{}";
                i = AppendMembers(out, nodes, i + 1, depth + 1, false);  // skipped: a block in a list is no item
                continue;
            }
            AppendJsonString(out, node.value);
            ++i;
            continue;
        }
        if (node.kind != TraceNode::Kind::Block) {
            keys.Add(out, node.name);
            AppendJsonString(out, node.value);
            ++i;
            continue;
        }
        keys.Add(out, node.value.empty() ? node.name : node.value);
        bool list = node.name == "ItemList";
        out += list ? '[' : '{';
        if (!list && !node.value.empty()) {
            out += "\"type\":";
            AppendJsonString(out, node.name);
            if (i + 1 < nodes.size() && nodes[i + 1].depth > depth) out += ',';
        }
        i = AppendMembers(out, nodes, i + 1, depth + 1, list);
        out += list ? ']' : '}';
    }
    return i;
}

void AppendRecord(std::string& out, const TraceRecord& record) {
    static constexpr const char* kKinds[] = {"triplet", "event", "unreadable"};
    out += "{\"kind\":\"";
    out += kKinds[static_cast<int>(record.kind)];
    out += "\",\"line\":" + std::to_string(record.firstLine);
    if (record.number >= 0) out += ",\"number\":" + std::to_string(record.number);
    if (record.kind == TraceRecord::Kind::Triplet) {
        out += ",\"label\":";
        AppendJsonString(out, record.label);
        AppendName(out, "dg", record.dg);
        AppendName(out, "dat", record.dat);
        AppendName(out, "msg", record.msg);
        if (record.hasCap) AppendName(out, "cap", record.cap);
        // The application's call whose result comes after this source's record.
        if (record.withinNumber >= 0) out += ",\"within\":" + std::to_string(record.withinNumber);
    }
    if (record.hasResult) {
        AppendName(out, "rc", record.rc);
        char pointer[32];
        snprintf(pointer, sizeof(pointer), "0x%08llx", static_cast<unsigned long long>(record.dataPointer));
        out += ",\"pData\":\"";
        out += pointer;
        out += '"';
    }
    if (record.hasState) out += ",\"state\":" + std::to_string(record.state);
    out += record.failureBracket ? ",\"failed\":true" : ",\"failed\":false";
    if (record.overLength) out += ",\"overLength\":true";
    std::span<const TraceNode> nodes = record.Nodes();
    if (!nodes.empty()) {
        out += ",\"data\":{";
        AppendMembers(out, nodes, 0, 0, false);
        out += '}';
    }
    bool markers = false;
    for (const TraceNode& node : nodes) {
        if (node.kind != TraceNode::Kind::Marker) continue;
        out += markers ? "," : ",\"markers\":[";
        markers = true;
        AppendJsonString(out, node.value);
    }
    if (markers) out += ']';
    if (!record.damage.empty()) {
        out += ",\"damaged\":true,\"damage\":[";
        for (size_t i = 0; i < record.damage.size(); ++i) {
            if (i) out += ',';
            AppendJsonString(out, record.damage[i]);
        }
        out += ']';
    }
    out += "}\n";
}

}  // namespace

int RunJson(CTraceReader& reader, std::ostream& out, ReadProblem& problem) {
    std::string text;
    return ReadEach(reader, problem, [&](const TraceRecord& record) {
        text.clear();
        AppendRecord(text, record);
        out << text;
    });
}

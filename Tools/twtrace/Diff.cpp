// twtrace diff: two traces aligned by their triplets (record numbers, pointers and
// handles aside): what only one has, the same triplet with another return code or
// other field values, and where the sessions' states first part.
#include <algorithm>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include "Commands.h"
#include "Diff.h"

namespace {

// Edit distance beyond which the traces are aligned record by record instead:
// the alignment's memory grows with its square.
constexpr size_t kMaxEdits = 4000;

struct Entry {
    int key = 0;  // the triplet (or event) as an interned number
    std::string name, rc;
    int state = 0;  // after the record, 0 when it shows none
    std::vector<std::pair<std::string, std::string>> fields;  // path, value; pointers left out
};

class CKeys {
public:
    int Of(const std::string& text) { return m_keys.emplace(text, static_cast<int>(m_keys.size())).first->second; }

private:
    std::unordered_map<std::string, int> m_keys;
};

// "TW_CAPABILITY.TW_ONEVALUE.Item", "TW_ENUMERATION.ItemList[2]": a field's place.
std::vector<std::pair<std::string, std::string>> FieldsOf(const TraceRecord& record) {
    std::vector<std::pair<std::string, std::string>> fields;
    std::vector<std::string> path;
    std::map<std::string, int> seen;
    for (const TraceNode& node : record.Nodes()) {
        path.resize(std::min(path.size(), static_cast<size_t>(node.depth)));
        std::string prefix;
        for (const std::string& part : path) prefix += part + ".";
        if (node.kind == TraceNode::Kind::Block) {
            path.push_back(node.value.empty() ? node.name : node.value);
            continue;
        }
        if (node.open == '<') continue;
        std::string place = node.kind == TraceNode::Kind::Item ? prefix.substr(0, prefix.size() - 1) + "[" + node.name + "]"
                            : node.kind == TraceNode::Kind::Marker ? prefix + "note"
                                                                    : prefix + node.name;
        int n = ++seen[place];
        if (n > 1) place += "#" + std::to_string(n);
        fields.emplace_back(place, node.value);
    }
    return fields;
}

int ReadAll(CTraceReader& reader, CKeys& keys, std::vector<Entry>& entries, ReadProblem& problem) {
    int64_t lastNumber = 0;
    return ReadEach(reader, problem, [&](const TraceRecord& record) {
        if (record.kind == TraceRecord::Kind::Unreadable) return;
        Entry entry;
        entry.name = RecordName(record, lastNumber);
        if (record.kind == TraceRecord::Kind::Triplet) lastNumber = record.number;
        const TraceNode* message = record.Field("TWMessage");
        // The source's calls pair only with the source's.
        entry.key = keys.Of(record.FromSource()                          ? "[DS] " + record.Triplet()
                            : record.kind == TraceRecord::Kind::Triplet ? record.Triplet()
                                                                         : "event " + (message ? message->value : ""));
        entry.rc = record.hasResult ? record.rc.text : "no result";
        entry.state = record.hasState ? record.state : 0;
        entry.fields = FieldsOf(record);
        entries.push_back(std::move(entry));
    });
}

// The aligned pairs (index in a, index in b; -1 where one side has none), by the
// shortest edit script of the two key sequences.
std::vector<std::pair<int, int>> Align(const std::vector<Entry>& a, const std::vector<Entry>& b) {
    const int n = static_cast<int>(a.size()), m = static_cast<int>(b.size());
    const int offset = n + m + 1;
    std::vector<int> v(2 * offset + 1, 0);
    std::vector<std::vector<int>> history;
    int found = -1;
    for (int d = 0; d <= n + m && static_cast<size_t>(d) <= kMaxEdits; ++d) {
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])) ? v[offset + k + 1]
                                                                                 : v[offset + k - 1] + 1;
            int y = x - k;
            while (x < n && y < m && a[x].key == b[y].key) ++x, ++y;
            v[offset + k] = x;
            if (x >= n && y >= m) found = d;
        }
        history.emplace_back(v.begin() + offset - d, v.begin() + offset + d + 1);
        if (found >= 0) break;
    }
    std::vector<std::pair<int, int>> pairs;
    if (found < 0) {
        // Too far apart to align: record by record.
        for (int i = 0; i < std::max(n, m); ++i) pairs.emplace_back(i < n ? i : -1, i < m ? i : -1);
        return pairs;
    }
    int x = n, y = m;
    for (int d = found; d > 0; --d) {
        const std::vector<int>& prev = history[d - 1];
        int k = x - y;
        auto at = [&](int kk) { return prev[kk + d - 1]; };
        bool down = k == -d || (k != d && at(k - 1) < at(k + 1));
        int prevK = down ? k + 1 : k - 1;
        int prevX = at(prevK), prevY = prevX - prevK;
        while (x > prevX + (down ? 0 : 1) && y > prevY + (down ? 1 : 0)) pairs.emplace_back(--x, --y);
        if (down) pairs.emplace_back(-1, --y);
        else pairs.emplace_back(--x, -1);
    }
    while (x > 0 && y > 0) pairs.emplace_back(--x, --y);
    std::reverse(pairs.begin(), pairs.end());
    return pairs;
}

}  // namespace

int DiffTraces(CTraceReader& first, CTraceReader& second, DiffResult& result, ReadProblem& problem) {
    CKeys keys;
    std::vector<Entry> a, b;
    if (ReadAll(first, keys, a, problem) == kExitUnreadable) {
        problem.text = "first trace: " + problem.text;
        return kExitUnreadable;
    }
    if (ReadAll(second, keys, b, problem) == kExitUnreadable) {
        problem.text = "second trace: " + problem.text;
        return kExitUnreadable;
    }
    result.recordsA = a.size();
    result.recordsB = b.size();
    auto side = [](const Entry& entry) { return DiffSide{true, entry.name, entry.rc, entry.state}; };
    int stateA = 0, stateB = 0;
    bool parted = false;
    for (auto [i, j] : Align(a, b)) {
        DiffRow row;
        if (i < 0 || j < 0) {
            const Entry& only = i < 0 ? b[j] : a[i];
            (i < 0 ? row.b : row.a) = side(only);
            ++result.differences;
            (i < 0 ? stateB : stateA) = only.state ? only.state : (i < 0 ? stateB : stateA);
            result.rows.push_back(std::move(row));
            continue;
        }
        const Entry& x = a[i];
        const Entry& y = b[j];
        row.a = side(x);
        row.b = side(y);
        std::vector<std::string>& lines = row.changes;
        if (x.rc != y.rc) lines.push_back("return code: " + x.rc + " | " + y.rc);
        std::map<std::string, const std::string*> inB;
        for (const auto& [path, value] : y.fields) inB[path] = &value;
        for (const auto& [path, value] : x.fields) {
            auto found = inB.find(path);
            if (found == inB.end()) lines.push_back(path + ": [" + value + "] | only in A");
            else if (*found->second != value) lines.push_back(path + ": [" + value + "] | [" + *found->second + "]");
            if (found != inB.end()) inB.erase(found);
        }
        for (const auto& [path, value] : y.fields)
            if (inB.count(path)) lines.push_back(path + ": only in B | [" + value + "]");
        if (!lines.empty()) ++result.differences;
        if (x.state) stateA = x.state;
        if (y.state) stateB = y.state;
        if (!parted && stateA && stateB && stateA != stateB) {
            parted = true;
            row.parted = std::to_string(stateA) + " | " + std::to_string(stateB);
        }
        result.rows.push_back(std::move(row));
    }
    return kExitClean;
}

int RunDiff(CTraceReader& first, CTraceReader& second, std::ostream& out, ReadProblem& problem) {
    DiffResult result;
    if (DiffTraces(first, second, result, problem) == kExitUnreadable) return kExitUnreadable;
    for (const DiffRow& row : result.rows) {
        if (!row.a.present || !row.b.present) {
            const DiffSide& only = row.a.present ? row.a : row.b;
            out << (row.a.present ? "- " : "+ ") << only.name << "   only in " << (row.a.present ? "A" : "B") << "\n";
            continue;
        }
        if (!row.changes.empty()) {
            out << "~ " << row.a.name << " | " << row.b.name << "\n";
            for (const std::string& line : row.changes) out << "    " << line << "\n";
        }
        if (!row.parted.empty())
            out << "! states part after " << row.a.name << " | " << row.b.name << ": " << row.parted << "\n";
    }
    if (result.differences == 0) out << "The traces agree record for record (" << result.recordsA << " records).\n";
    else
        out << result.differences << " differences (A: " << result.recordsA << " records, B: " << result.recordsB
            << " records)\n";
    return result.differences ? kExitFindings : kExitClean;
}

// twtrace html. The writer streams: each record goes to a spill file as one line
// of the page's data block while the summary and the checker take it; the facts
// they give at the end head the page, the spilled records follow. Memory stays
// flat: counts, capped lists and a state picture of at most kMaxColumns columns.
#include "Html.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "Check.h"
#include "Diff.h"
#include "JsonText.h"
#include "PageAssets.h"
#include "Summary.h"
#include "TraceFile.h"
#include "twaintbl.h"

namespace {

constexpr size_t kMaxFindingsListed = 1000;    // findings shown in full; the rest are counted
constexpr size_t kMaxMarks = 2000;             // marks on the picture per kind
constexpr size_t kMaxFindingRecords = 100000;  // records flagged as having a finding
constexpr size_t kMaxColumns = 2048;           // columns of the state picture

// The flags of a record in the page's data: the script's FAILED and DAMAGED.
constexpr int kFailed = 1;
constexpr int kDamaged = 2;

// The picture's frame: states 1 to 7 from bottom to top, records from left to right.
constexpr int kWidth = 1000, kLeft = 40, kRight = 990, kTop = 12, kStep = 18;
constexpr int kMarkRowFailures = kTop + 7 * kStep + 10, kMarkRowFindings = kMarkRowFailures + 16;
constexpr int kHeight = kMarkRowFindings + 12;

int StateY(int state) { return kTop + (7 - state) * kStep; }

// The CSP wants a hash in base64; the build gives it in hexadecimal.
std::string Base64OfHex(std::string_view hex) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<unsigned char> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<unsigned char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        unsigned n =
            bytes[i] << 16 | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0) | (i + 2 < bytes.size() ? bytes[i + 2] : 0);
        out += kDigits[n >> 18 & 63];
        out += kDigits[n >> 12 & 63];
        out += i + 1 < bytes.size() ? kDigits[n >> 6 & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
    }
    return out;
}

std::string Html(std::string_view text) {
    std::string out;
    AppendHtmlText(out, text);
    return out;
}

// The page's head: its policy allows the page's own style and, when it has one, its
// own script, by their hashes, and nothing else.
void Head(std::string& page, const std::string& title, bool script) {
    page +=
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'sha256-" +
        Base64OfHex(kPageStyleSha256) + "'; script-src " +
        (script ? "'sha256-" + Base64OfHex(kPageScriptSha256) + "'" : std::string("'none'")) +
        "; base-uri 'none'; form-action 'none'\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>" +
        Html(title) + "</title>\n<style>" + kPageStyle + "</style>\n</head>\n<body>\n";
}

// The state over the session in at most kMaxColumns columns: each column holds a
// run of records (a power of two of them) with the state it entered with, its
// lowest and highest, and the one it left with.
class CStatePicture {
public:
    void Take(uint64_t record, int state) {
        if (state < 1 || state > 7) return;
        uint64_t column = record / m_width;
        if (m_columns.empty() || m_columns.back().column != column) {
            m_columns.push_back({column, state, state, state, state});
            if (m_columns.size() > kMaxColumns) Halve();
            return;
        }
        Column& last = m_columns.back();
        last.low = std::min(last.low, state);
        last.high = std::max(last.high, state);
        last.last = state;
    }

    // The line's points, "x,y x,y ...", for a session of that many records.
    std::string Points(uint64_t records) const {
        std::string points;
        int lastX = -1, lastY = -1;
        auto add = [&](int x, int y) {
            if (x == lastX && y == lastY) return;
            points += (points.empty() ? "" : " ") + std::to_string(x) + "," + std::to_string(y);
            lastX = x;
            lastY = y;
        };
        for (const Column& c : m_columns) {
            if (c.low == c.high && StateY(c.low) == lastY) continue;  // no change: the line goes on
            int x = X(c.column * m_width, records);
            if (lastY >= 0) add(x, lastY);
            add(x, StateY(c.first));
            if (c.low != c.high) {
                add(x, StateY(c.first == c.high ? c.low : c.high));
                add(x, StateY(c.first == c.high ? c.high : c.low));
            }
            add(x, StateY(c.last));
        }
        if (lastY >= 0) add(kRight, lastY);
        return points;
    }

    static int X(uint64_t record, uint64_t records) {
        return kLeft + static_cast<int>((kRight - kLeft) * static_cast<double>(record) /
                                        static_cast<double>(std::max<uint64_t>(records, 1)));
    }

private:
    struct Column {
        uint64_t column;
        int first, low, high, last;
    };
    void Halve() {
        m_width *= 2;
        std::vector<Column> merged;
        for (const Column& c : m_columns) {
            uint64_t column = c.column / 2;
            if (!merged.empty() && merged.back().column == column) {
                Column& m = merged.back();
                m.low = std::min(m.low, c.low);
                m.high = std::max(m.high, c.high);
                m.last = c.last;
            } else {
                merged.push_back({column, c.first, c.low, c.high, c.last});
            }
        }
        m_columns = std::move(merged);
    }

    uint64_t m_width = 1;
    std::vector<Column> m_columns;
};

// The records' data block, spilled to a temporary file as it is made.
class CSpill {
public:
    CSpill() : m_file(tmpfile()) {}
    ~CSpill() {
        if (m_file) fclose(m_file);
    }
    bool Ok() const { return m_file && !m_failed; }
    void Add(const std::string& text) {
        m_buffer += text;
        if (m_buffer.size() >= (1u << 20)) Flush();
    }
    // Copies what was spilled to out.
    bool CopyTo(std::ostream& out) {
        Flush();
        if (!Ok() || fseek(m_file, 0, SEEK_SET) != 0) return false;
        std::vector<char> chunk(1 << 20);
        size_t n;
        while ((n = fread(chunk.data(), 1, chunk.size(), m_file)) > 0)
            out.write(chunk.data(), static_cast<std::streamsize>(n));
        return !ferror(m_file);
    }

private:
    void Flush() {
        if (m_file && !m_buffer.empty() && fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
            m_failed = true;
        m_buffer.clear();
    }
    FILE* m_file;
    bool m_failed = false;
    std::string m_buffer;
};

struct Mark {
    uint64_t record;
    std::string title;
};

class CPage {
public:
    CPage() : m_check([this](const Finding& finding) { Found(finding); }) {}

    void Take(const TraceRecord& record) {
        uint64_t index = m_records++;
        m_summary.Take(record);
        m_check.Take(record);
        std::string name = RecordName(record, m_lastNumber);
        if (record.kind == TraceRecord::Kind::Triplet) m_lastNumber = record.number;
        if (index == 0) m_first = name;
        m_last = name;
        if (record.hasState) m_picture.Take(index, record.state);
        bool failed = record.kind == TraceRecord::Kind::Triplet && record.hasResult && record.rc.value == TWRC_FAILURE;
        if (failed && m_failureMarks.size() < kMaxMarks)
            m_failureMarks.push_back({index, name + " -> " + record.rc.text});
        int flags = (failed ? kFailed : 0) | (record.damage.empty() ? 0 : kDamaged);
        // [line, name, return code, state, flags, text, damage]
        m_line.clear();
        m_line += index ? ",\n[" : "[";
        m_line += std::to_string(record.firstLine) + ",";
        AppendJsonString(m_line, name, true);
        m_line += ',';
        AppendJsonString(m_line, record.hasResult ? record.rc.text : std::string(), true);
        m_line += "," + std::to_string(record.hasState ? record.state : 0) + "," + std::to_string(flags) + ",";
        AppendJsonString(m_line, record.text, true);
        m_line += ",[";
        for (size_t i = 0; i < record.damage.size(); ++i) {
            if (i) m_line += ',';
            AppendJsonString(m_line, record.damage[i], true);
        }
        m_line += "]]";
        m_spill.Add(m_line);
    }

    bool Write(std::string_view title, std::ostream& out) {
        m_check.Finish();
        SessionFacts facts = m_summary.Finish();
        std::string page;
        Head(page, "TWAIN trace " + std::string(title), true);
        Glance(page, title, facts);
        Picture(page);
        Failures(page, facts);
        Findings(page);
        Capabilities(page, facts);
        page +=
            "<section id=\"records\"><h2>Records</h2>\n"
            "<div class=\"tools\"><input id=\"filter\" type=\"search\" autocomplete=\"off\" "
            "placeholder=\"Filter: DAT, MSG, capability, return code or any text\" "
            "aria-label=\"Filter the records\">\n"
            "<button id=\"previous-failure\" type=\"button\" title=\"key p\">Previous failure</button>"
            "<button id=\"next-failure\" type=\"button\" title=\"key n\">Next failure</button>"
            "<span id=\"shown\"></span></div>\n"
            "<div id=\"pager-top\" class=\"pager\"></div><div id=\"record-list\"><p id=\"records-loading\">Reading "
            "the records (a big trace takes seconds)...</p></div>"
            "<div id=\"pager-bottom\" class=\"pager\"></div>\n"
            "<noscript><p>The records need the page's script.</p></noscript></section>\n"
            "<script type=\"application/json\" id=\"finding-records\">[";
        for (size_t i = 0; i < m_findingRecords.size(); ++i)
            page += (i ? "," : "") + std::to_string(m_findingRecords[i]);
        page += "]</script>\n<script type=\"application/json\" id=\"trace-data\">[";
        out << page;
        if (!m_spill.CopyTo(out)) return false;
        out << "]</script>\n<script>" << kPageScript << "</script>\n</body>\n</html>\n";
        return m_spill.Ok();
    }

    bool SpillOk() const { return m_spill.Ok(); }

private:
    void Found(const Finding& finding) {
        ++m_findings;
        if (m_findingRecords.size() < kMaxFindingRecords &&
            (m_findingRecords.empty() || m_findingRecords.back() != finding.record))
            m_findingRecords.push_back(finding.record);
        // As check prints it: a finding without a side (damage, a call that never returned) names none.
        std::string text = std::string(finding.rule) + ": " +
                           (finding.side ? std::string(finding.side) + ": " : std::string()) + finding.what;
        if (m_findingMarks.size() < kMaxMarks) m_findingMarks.push_back({finding.record, finding.name + ": " + text});
        if (m_listed.size() < kMaxFindingsListed) m_listed.push_back(finding);
    }

    void Glance(std::string& page, std::string_view title, const SessionFacts& facts) const {
        auto row = [&](const char* term, const std::string& value, const char* id) {
            page += std::string("<tr><th>") + term + "</th><td id=\"" + id + "\">" + Html(value) + "</td></tr>\n";
        };
        page += "<header><h1>TWAIN trace <span class=\"file\">" + Html(title) +
                "</span></h1></header>\n"
                "<section id=\"glance\"><h2>The session at a glance</h2>\n<table class=\"facts\">\n";
        row("Application", facts.application.empty() ? "not in the trace" : facts.application, "application");
        row("Source", facts.source.empty() ? "not in the trace" : facts.source, "source");
        row("First record", m_first, "first-record");
        row("Last record", m_last, "last-record");
        row("Records",
            std::to_string(m_records) + ": " + std::to_string(facts.triplets) + " triplets, " +
                std::to_string(facts.events) + " claimed events",
            "record-count");
        row("Failures", std::to_string(facts.failures.size() + facts.moreFailures), "failure-count");
        row("Protocol findings", std::to_string(m_findings), "finding-count");
        page +=
            "</table>\n<p class=\"note\">The trace holds no times of its own: the monitor names each trace "
            "file by the time it was loaded.</p></section>\n";
    }

    void Picture(std::string& page) const {
        page +=
            "<section id=\"states\"><h2>The TWAIN state over the session</h2>\n"
            "<svg id=\"state-picture\" viewBox=\"0 0 " +
            std::to_string(kWidth) + " " + std::to_string(kHeight) +
            "\" role=\"img\" aria-label=\"TWAIN state 1 to 7 against the record\">\n";
        for (int state = 1; state <= 7; ++state)
            page += "<line class=\"grid\" x1=\"" + std::to_string(kLeft) + "\" x2=\"" + std::to_string(kRight) +
                    "\" y1=\"" + std::to_string(StateY(state)) + "\" y2=\"" + std::to_string(StateY(state)) +
                    "\"/><text x=\"4\" y=\"" + std::to_string(StateY(state) + 4) + "\">" + std::to_string(state) +
                    "</text>\n";
        page += "<text x=\"4\" y=\"" + std::to_string(kMarkRowFailures + 4) +
                "\" class=\"failure\">F</text>"
                "<text x=\"4\" y=\"" +
                std::to_string(kMarkRowFindings + 4) + "\" class=\"finding\">!</text>\n";
        page += "<polyline id=\"state-line\" points=\"" + m_picture.Points(m_records) + "\"/>\n";
        auto marks = [&](const std::vector<Mark>& list, int y, const char* kind) {
            for (const Mark& mark : list)
                page += "<a href=\"#r" + std::to_string(mark.record) + "\" class=\"mark " + kind + "\"><circle cx=\"" +
                        std::to_string(CStatePicture::X(mark.record, m_records)) + "\" cy=\"" + std::to_string(y) +
                        "\" r=\"5\"><title>" + Html(mark.title) + "</title></circle></a>\n";
        };
        marks(m_failureMarks, kMarkRowFailures, "failure");
        marks(m_findingMarks, kMarkRowFindings, "finding");
        page +=
            "</svg>\n<p class=\"note\">F: failures, !: protocol findings; each mark links to its record.</p>"
            "</section>\n";
    }

    void Failures(std::string& page, const SessionFacts& facts) const {
        page += "<section id=\"failures\"><h2>Failures</h2>\n";
        if (facts.failures.empty())
            page += "<p>None: no triplet answered TWRC_FAILURE.</p>\n";
        else
            page += "<ol>\n";
        for (const FailureFact& failure : facts.failures) {
            page += "<li><a href=\"#r" + std::to_string(failure.record) + "\">" + Html(failure.name) + "</a> -&gt; " +
                    Html(failure.rc) + ": ";
            if (failure.statusAsked)
                page += "<span class=\"condition\">" + Html(failure.condition) + "</span> (<a href=\"#r" +
                        std::to_string(failure.statusRecord) + "\">" + Html(failure.statusNumber) + "</a>)";
            else
                page += "<span class=\"condition\">status never asked</span>";
            page += "</li>\n";
        }
        if (!facts.failures.empty()) page += "</ol>\n";
        if (facts.moreFailures)
            page +=
                "<p>... and " + std::to_string(facts.moreFailures) + " more (the records below show them all).</p>\n";
        page += "</section>\n";
    }

    void Findings(std::string& page) const {
        page += "<section id=\"findings\"><h2>Protocol findings</h2>\n";
        if (m_listed.empty())
            page += "<p>No protocol fault found.</p>\n";
        else
            page += "<ol>\n";
        for (const Finding& finding : m_listed) {
            page += "<li><a href=\"#r" + std::to_string(finding.record) + "\">" + Html(finding.name) +
                    "</a>: <span class=\"rule\">" + Html(finding.rule) + "</span>: " +
                    (finding.side ? "<span class=\"side\">" + std::string(finding.side) + "</span>: " : std::string()) +
                    Html(finding.what);
            if (finding.reason[0]) page += "<div class=\"reason\">rule: " + Html(finding.reason) + "</div>";
            page += "</li>\n";
        }
        if (!m_listed.empty()) page += "</ol>\n";
        if (m_findings > m_listed.size())
            page += "<p>... and " + std::to_string(m_findings - m_listed.size()) +
                    " more (twtrace check lists them all).</p>\n";
        page += "</section>\n";
    }

    void Capabilities(std::string& page, const SessionFacts& facts) const {
        page += "<section id=\"capabilities\"><h2>Capability negotiation</h2>\n";
        if (facts.capabilities.empty()) {
            page += "<p>No capability in the trace.</p></section>\n";
            return;
        }
        page +=
            "<table class=\"grid\"><thead><tr><th>capability</th><th>set by the application</th>"
            "<th>answered by the driver</th><th>failed sets</th></tr></thead><tbody>\n";
        for (const CapabilityFact& row : facts.capabilities)
            page += "<tr><td>" + Html(row.cap) + "</td><td>" + Html(row.set) + "</td><td>" + Html(row.answered) +
                    "</td><td>" + Html(row.failedSets) + "</td></tr>\n";
        page += "</tbody></table></section>\n";
    }

    CSessionSummary m_summary;
    CProtocolCheck m_check;
    CStatePicture m_picture;
    CSpill m_spill;
    std::string m_line;
    uint64_t m_records = 0;
    int64_t m_lastNumber = 0;
    std::string m_first, m_last;
    std::vector<Mark> m_failureMarks, m_findingMarks;
    std::vector<uint64_t> m_findingRecords;
    std::vector<Finding> m_listed;
    size_t m_findings = 0;
};

}  // namespace

void AppendHtmlText(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '&':
                out += "&amp;";
                continue;
            case '<':
                out += "&lt;";
                continue;
            case '>':
                out += "&gt;";
                continue;
            case '"':
                out += "&quot;";
                continue;
            case '\'':
                out += "&#39;";
                continue;
            default:
                break;
        }
        size_t n = c >= 0x80 ? Utf8Length(text, i) : 0;
        if (n > 0) {
            out.append(text.substr(i, n));
            i += n - 1;
        } else if (c < 0x20 || c >= 0x7F) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
}

int RunHtml(CTraceReader& reader, std::string_view title, std::ostream& out, ReadProblem& problem) {
    reader.KeepText();
    CPage page;
    if (!page.SpillOk()) {
        problem.text = std::string("no temporary file for the records: ") + strerror(errno);
        return kExitUnreadable;
    }
    int status = ReadEach(reader, problem, [&](const TraceRecord& record) { page.Take(record); });
    if (status == kExitUnreadable) return status;
    if (!page.Write(title, out) || !out) {
        problem.text = "the page could not be written";
        return kExitUnreadable;
    }
    return kExitClean;
}

int RunDiffHtml(CTraceReader& first, CTraceReader& second, std::string_view titleA, std::string_view titleB,
                std::ostream& out, ReadProblem& problem) {
    DiffResult result;
    if (DiffTraces(first, second, result, problem) == kExitUnreadable) return kExitUnreadable;
    std::string page;
    Head(page, "TWAIN traces " + std::string(titleA) + " | " + std::string(titleB), false);
    page += "<header><h1>TWAIN traces <span class=\"file\">A: " + Html(titleA) +
            "</span> <span class=\"file\">B: " + Html(titleB) +
            "</span></h1></header>\n<section id=\"glance\"><p id=\"difference-count\">" +
            (result.differences == 0 ? "The traces agree record for record"
                                     : std::to_string(result.differences) + " differences") +
            " (A: " + std::to_string(result.recordsA) + " records, B: " + std::to_string(result.recordsB) +
            " records)</p>\n<p class=\"note\">Aligned by their triplets; record numbers, pointers and handles "
            "aside. Differences are marked: only in A, only in B, changed (with what changed), and where the "
            "states first part.</p></section>\n<section id=\"sessions\"><table class=\"grid diff\"><thead><tr>"
            "<th>A</th><th>return code</th><th>state</th><th>B</th><th>return code</th><th>state</th></tr></thead>"
            "<tbody>\n";
    auto cells = [&](const DiffSide& side) {
        if (!side.present) return std::string("<td class=\"absent\" colspan=\"3\"></td>");
        return "<td>" + Html(side.name) + "</td><td>" + Html(side.rc) + "</td><td>" +
               (side.state ? std::to_string(side.state) : std::string()) + "</td>";
    };
    size_t difference = 0;
    for (const DiffRow& row : result.rows) {
        const char* kind = !row.a.present        ? "only-b"
                           : !row.b.present      ? "only-a"
                           : row.changes.empty() ? "same"
                                                 : "changed";
        bool differs = std::string_view(kind) != "same";
        page += std::string("<tr class=\"") + kind + (row.parted.empty() ? "" : " parted") + "\"" +
                (differs ? " id=\"d" + std::to_string(difference++) + "\"" : "") + ">" + cells(row.a) + cells(row.b) +
                "</tr>\n";
        if (!row.changes.empty() || !row.parted.empty()) {
            page += "<tr class=\"changes\"><td colspan=\"6\"><ul>";
            for (const std::string& change : row.changes) page += "<li>" + Html(change) + "</li>";
            if (!row.parted.empty()) page += "<li class=\"parted\">the states part here: " + Html(row.parted) + "</li>";
            page += "</ul></td></tr>\n";
        }
        if (page.size() >= (1u << 20)) {
            out << page;
            page.clear();
        }
    }
    out << page << "</tbody></table></section>\n</body>\n</html>\n";
    if (!out) {
        problem.text = "the page could not be written";
        return kExitUnreadable;
    }
    return result.differences ? kExitFindings : kExitClean;
}

int WritePageFile(const std::string& path, ReadProblem& problem,
                  const std::function<int(std::ostream&, ReadProblem&)>& write) {
    const std::string temporary = CreateTemporaryBeside(path);
    if (temporary.empty()) {
        problem.text = path + ": " + strerror(errno);
        return kExitUnreadable;
    }
    int status;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        status = write(out, problem);
        out.flush();
        if (status != kExitUnreadable && !out) {
            problem.text = path + ": the page could not be written";
            status = kExitUnreadable;
        }
    }
    if (status != kExitUnreadable && !MoveIntoPlace(temporary, path)) {
        problem.text = path + ": " + strerror(errno);
        status = kExitUnreadable;
    }
    if (status == kExitUnreadable) std::remove(temporary.c_str());
    return status;
}

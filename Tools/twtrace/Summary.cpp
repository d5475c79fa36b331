// twtrace summary: the session at a glance. It keeps counts and one row per
// capability, never the records, so it runs in constant memory on any trace.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "Commands.h"
#include "ContainerValue.h"
#include "Summary.h"
#include "twaintbl.h"

namespace {

constexpr size_t kMaxStates = 60;   // state changes shown; the rest are counted
constexpr size_t kMaxListed = 50;   // failures, transfers and damaged lines shown; the rest are counted

// "Sample Scanner (Sample Maker, 1.0 sample)": an identity block's names.
std::string IdentityName(const TraceRecord& record, const char* block) {
    auto field = [&](const char* name) {
        const TraceNode* node = record.Field(name, block);
        return node ? node->value : std::string("?");
    };
    return field("ProductName") + " (" + field("Manufacturer") + ", " + field("Info") + ")";
}

struct CapabilityRow {
    std::string set, answered;
    std::vector<std::string> failedSets;
};

struct StripRun {
    std::string first;
    uint64_t strips = 0, bytes = 0, smallest = UINT64_MAX, largest = 0;
};

}  // namespace

class CSummary {
public:
    void Take(const TraceRecord& record) {
        ++m_taken;
        auto where = [&] {
            return record.kind == TraceRecord::Kind::Triplet ? Number(record)
                   : record.kind == TraceRecord::Kind::Event ? "event after " + Number(m_lastNumber)
                                                              : RecordName(record, m_lastNumber);
        };
        // A call that never returned is damage only when more records follow it.
        if (!m_openDamage.empty()) Damaged(m_openDamage);
        m_openDamage.clear();
        m_endsInside.clear();
        bool open = record.kind == TraceRecord::Kind::Triplet && !record.hasResult && !record.damage.empty();
        for (size_t i = 0; i + open < record.damage.size(); ++i) Damaged(where() + ": " + record.damage[i]);
        if (open) {
            m_openDamage = where() + ": " + record.damage.back();  // the reader names the missing return code last
            m_endsInside = EndsInside(record);
        }
        if (record.kind == TraceRecord::Kind::Unreadable) return;
        if (record.FromSource()) {
            ++m_triplets;
            m_lastNumber = record.number;
            ++m_kinds["[DS] " + record.dg.text + "/" + record.dat.text + "/" + record.msg.text];
            // What the source says stands in the timeline whether it moves the state or not.
            const TraceNode* message = record.Field("Message");
            const std::string said = record.dat.value != DAT_NULL && message ? message->value : record.msg.text;
            if (record.hasState) m_state = record.state;
            AddState(std::to_string(m_state) + " (" + Number(record) + " the source's " + said + ")");
            return;
        }
        if (record.kind == TraceRecord::Kind::Event) {
            ++m_events;
        } else {
            ++m_triplets;
            m_lastNumber = record.number;
            Identity(record);
            ++m_kinds[record.dg.text + "/" + record.dat.text + "/" + record.msg.text];
            Failure(record);
            Capability(record);
            Transfer(record);
            Callback(record);
        }
        if (record.hasState && record.state != m_state) {
            m_state = record.state;
            AddState(std::to_string(m_state) + " (" + where() + ")");
        }
    }

    void AddState(const std::string& entry) {
        if (m_states.size() < kMaxStates) m_states.push_back(entry);
        else ++m_moreStates;
    }

    void Finish() {
        Failure(TraceRecord());  // a failure at the very end was never followed by a status
    }

    SessionFacts Facts() const {
        SessionFacts facts;
        facts.triplets = m_triplets;
        facts.events = m_events;
        facts.failures = m_failures;
        facts.moreFailures = m_moreFailures;
        facts.application = m_application;
        facts.source = m_source;
        for (const auto& [cap, row] : m_capabilities) {
            std::string failed;
            for (const std::string& number : row.failedSets) failed += (failed.empty() ? "" : ", ") + number;
            facts.capabilities.push_back({cap, row.set.empty() ? "-" : row.set,
                                          row.answered.empty() ? "-" : row.answered, failed.empty() ? "-" : failed});
        }
        return facts;
    }

    void Write(std::ostream& out) {
        SessionFacts facts = Facts();
        if (!m_endsInside.empty()) out << "Ends inside a call: " << m_endsInside << "\n";
        out << "Data source: " << (m_source.empty() ? "its identity is not in the trace" : m_source) << "\n"
            << "Application: not in the trace (the monitor does not write the caller's identity)\n";
        if (m_triplets > 0 && m_listings == m_triplets)
            out << "Session: none: the manager listed this source (DAT_IDENTITY/MSG_GET only); no session\n";
        out << "\nRecords: " << m_triplets + m_events << ": " << m_triplets << " triplets, " << m_events
            << " claimed events\n\nTriplets by kind:\n";
        for (const auto& [kind, count] : m_kinds) out << "  " << Pad(std::to_string(count), 6, true) << "  " << kind << "\n";
        out << "\nStates: ";
        for (size_t i = 0; i < m_states.size(); ++i) out << (i ? " -> " : "") << m_states[i];
        if (m_moreStates) out << " -> ... " << m_moreStates << " more changes";
        out << (m_states.empty() ? "none shown\n" : "\n");
        std::vector<std::string> failures;
        for (const FailureFact& failure : facts.failures)
            failures.push_back(failure.name + " -> " + failure.rc + ": " +
                               (failure.statusAsked ? failure.condition + " (" + failure.statusNumber + ")"
                                                    : "status never asked"));
        if (facts.moreFailures) failures.push_back("... and " + std::to_string(facts.moreFailures) + " more");
        Section(out, "Failures", failures);
        if (!facts.capabilities.empty()) {
            std::vector<std::vector<std::string>> rows = {{"capability", "set by the application",
                                                           "answered by the driver", "failed sets"}};
            for (const CapabilityFact& row : facts.capabilities)
                rows.push_back({row.cap, row.set, row.answered, row.failedSets});
            out << "\nCapabilities:\n";
            Table(out, rows);
        }
        Section(out, "Transfers", m_transfers.Lines());
        Section(out, "Callbacks", m_callbacks.Lines());
        Section(out, "Damage", m_damage.Lines());
    }

private:
    static std::string Number(int64_t number) { return RecordNumber(number); }
    static std::string Number(const TraceRecord& record) { return RecordNumber(record.number); }
    static std::string Pad(const std::string& text, size_t width, bool right = false) {
        if (text.size() >= width) return text;
        return right ? std::string(width - text.size(), ' ') + text : text + std::string(width - text.size(), ' ');
    }
    static void Section(std::ostream& out, const char* title, const std::vector<std::string>& lines) {
        if (lines.empty()) return;
        out << "\n" << title << ":\n";
        for (const std::string& line : lines) out << "  " << line << "\n";
    }
    static void Table(std::ostream& out, const std::vector<std::vector<std::string>>& rows) {
        std::vector<size_t> widths(rows[0].size(), 0);
        for (const auto& row : rows)
            for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
        for (const auto& row : rows) {
            std::string line = " ";
            for (size_t i = 0; i < row.size(); ++i) line += " " + (i + 1 < row.size() ? Pad(row[i], widths[i]) : row[i]);
            out << line << "\n";
        }
    }
    // A line of a list that stops growing at kMaxListed: memory stays flat on any trace.
    struct Listed {
        std::vector<std::string> lines;
        size_t more = 0;
        void Add(std::string line) {
            if (lines.size() < kMaxListed) lines.push_back(std::move(line));
            else ++more;
        }
        const std::vector<std::string>& Lines() {
            if (more) lines.push_back("... and " + std::to_string(more) + " more");
            more = 0;
            return lines;
        }
    };
    void Damaged(const std::string& text) { m_damage.Add(text); }

    // The source's identity, as the manager's DAT_IDENTITY calls show it; the first named one.
    void Identity(const TraceRecord& record) {
        if (m_application.empty() && record.Block("pOrigin:TW_IDENTITY"))
            m_application = IdentityName(record, "pOrigin:TW_IDENTITY");
        if (record.dat.value != DAT_IDENTITY) return;
        m_listings += record.msg.value == MSG_GET;
        const TraceNode* product = record.Field("ProductName", "TW_IDENTITY");
        if (!m_source.empty() || !product || product->value.empty()) return;
        auto value = [&](const char* field, const char* block) {
            const TraceNode* node = record.Field(field, block);
            return node ? node->value : "?";
        };
        m_source = "\"" + product->value + "\" by " + value("Manufacturer", "TW_IDENTITY") + " (family " +
                   value("ProductFamily", "TW_IDENTITY") + "), version " + value("MajorNum", "TW_VERSION") + "." +
                   value("MinorNum", "TW_VERSION") + " \"" + value("Info", "TW_VERSION") + "\", TWAIN " +
                   value("ProtocolMajor", "TW_IDENTITY") + "." + value("ProtocolMinor", "TW_IDENTITY") + " (" +
                   Number(record) + ")";
    }

    // A failure, and the condition code of the status the application asked next.
    void Failure(const TraceRecord& record) {
        if (m_failed) {
            const TraceNode* condition = record.Field("ConditionCode", "TW_STATUS");
            m_failure.statusAsked = record.Is(DAT_STATUS, MSG_GET) && condition;
            if (m_failure.statusAsked) {
                m_failure.condition = condition->value;
                m_failure.statusRecord = m_taken - 1;
                m_failure.statusNumber = Number(record);
            }
            if (m_failures.size() < kMaxListed) m_failures.push_back(std::move(m_failure));
            else ++m_moreFailures;
            m_failure = FailureFact();
            m_failed = false;
        }
        if (record.hasResult && record.rc.value == TWRC_FAILURE && record.kind == TraceRecord::Kind::Triplet) {
            m_failed = true;
            m_failure.record = m_taken - 1;
            m_failure.name = RecordName(record, m_lastNumber);
            m_failure.rc = record.rc.text;
        }
    }

    void Capability(const TraceRecord& record) {
        if (record.dat.value != DAT_CAPABILITY || !record.hasCap || !record.hasResult) return;
        CapabilityRow& row = m_capabilities[record.cap.text];
        bool set = record.msg.value == MSG_SET;
        if (set && record.rc.value == TWRC_FAILURE) {
            row.failedSets.push_back(Number(record));
            return;
        }
        std::string value = ContainerValue(record);
        if (value.empty()) return;
        (set ? row.set : row.answered) = value + " (" + Number(record) + ")";
    }

    void Transfer(const TraceRecord& record) {
        if (record.Is(DAT_IMAGEINFO, MSG_GET) && record.rc.value == TWRC_SUCCESS) {
            auto value = [&](const char* field) {
                const TraceNode* node = record.Field(field, "TW_IMAGEINFO");
                return node ? node->value : "?";
            };
            m_image = value("ImageWidth") + " x " + value("ImageLength") + ", " + value("PixelType") + ", " +
                      value("BitsPerPixel") + " bits per pixel (" + Number(record) + ")";
            return;
        }
        if (record.Is(DAT_IMAGEMEMXFER, MSG_GET)) {
            if (m_strips.strips == 0) m_strips.first = Number(record);
            const TraceNode* written = record.Field("BytesWritten", "TW_IMAGEMEMXFER");
            int64_t bytes = 0;
            if (written && ParseTraceNumber(written->value, bytes) && bytes >= 0 &&
                (record.rc.value == TWRC_SUCCESS || record.rc.value == TWRC_XFERDONE)) {
                ++m_strips.strips;
                m_strips.bytes += static_cast<uint64_t>(bytes);
                m_strips.smallest = std::min(m_strips.smallest, static_cast<uint64_t>(bytes));
                m_strips.largest = std::max(m_strips.largest, static_cast<uint64_t>(bytes));
            }
            if (record.rc.value == TWRC_SUCCESS) return;
            std::string strips = std::to_string(m_strips.strips) + " strips of " +
                                 (m_strips.strips ? std::to_string(m_strips.smallest) + " to " +
                                                        std::to_string(m_strips.largest)
                                                  : std::string("0")) +
                                 " bytes, " + std::to_string(m_strips.bytes) + " bytes in all";
            std::string records = m_strips.first == Number(record) ? m_strips.first : m_strips.first + "-" + Number(record);
            Image("memory transfer " + records + " -> " + record.rc.text + ": " + strips);
            m_strips = StripRun();
            return;
        }
        if (record.Is(DAT_IMAGENATIVEXFER, MSG_GET) || record.Is(DAT_IMAGEFILEXFER, MSG_GET))
            Image(std::string(record.dat.value == DAT_IMAGENATIVEXFER ? "native" : "file") + " transfer " +
                  Number(record) + " -> " + record.rc.text);
    }
    // A registered callback, and the messages a source sent the application after
    // it: those come as DAT_NULL triplets.
    void Callback(const TraceRecord& record) {
        if (record.Is(DAT_CALLBACK, MSG_REGISTER_CALLBACK) || record.Is(DAT_CALLBACK2, MSG_REGISTER_CALLBACK)) {
            if (!record.hasResult) return;
            const TraceNode* message = record.Field("Message");
            m_callbacks.Add(record.dat.text + " registered " + Number(record) + " -> " + record.rc.text + ", Message " +
                            (message ? message->value : "not shown"));
            m_bCallback = m_bCallback || record.rc.value == TWRC_SUCCESS;
            return;
        }
        if (m_bCallback && record.dat.value == DAT_NULL) m_callbacks.Add("carried " + record.msg.text + " " + Number(record));
    }

    void Image(const std::string& transfer) {
        ++m_images;
        m_transfers.Add("image " + std::to_string(m_images) + ": " +
                              (m_image.empty() ? "no TW_IMAGEINFO asked" : m_image) + "; " + transfer);
        m_image.clear();
    }

    uint64_t m_taken = 0;
    int64_t m_lastNumber = 0;
    std::string m_openDamage, m_endsInside;  // a triplet without its return code, until the next record
    uint64_t m_listings = 0;  // DAT_IDENTITY/MSG_GET: the manager asking a source who it is
    uint64_t m_triplets = 0, m_events = 0, m_images = 0;
    std::map<std::string, uint64_t> m_kinds;
    int m_state = 0;
    std::vector<std::string> m_states;
    size_t m_moreStates = 0;
    bool m_failed = false;
    FailureFact m_failure;  // the last failure, until the next triplet tells whether its status was asked
    std::vector<FailureFact> m_failures;
    size_t m_moreFailures = 0;
    std::string m_application, m_source;
    std::map<std::string, CapabilityRow> m_capabilities;
    std::string m_image;
    StripRun m_strips;
    Listed m_transfers;
    Listed m_callbacks;
    bool m_bCallback = false;
    Listed m_damage;
};

CSessionSummary::CSessionSummary() : m(std::make_unique<CSummary>()) {}
CSessionSummary::~CSessionSummary() = default;
void CSessionSummary::Take(const TraceRecord& record) { m->Take(record); }
SessionFacts CSessionSummary::Finish() {
    m->Finish();
    return m->Facts();
}

int RunSummary(CTraceReader& reader, std::ostream& out, ReadProblem& problem) {
    CSummary summary;
    int status = ReadEach(reader, problem, [&](const TraceRecord& record) { summary.Take(record); });
    if (status == kExitUnreadable) return status;
    summary.Finish();
    summary.Write(out);
    return status;
}

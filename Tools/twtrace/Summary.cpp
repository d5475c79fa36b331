// twtrace summary: the session at a glance. It keeps counts and one row per
// capability, never the records, so it runs in constant memory on any trace.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "Commands.h"
#include "ContainerValue.h"
#include "twaintbl.h"

namespace {

constexpr size_t kMaxStates = 60;   // state changes shown; the rest are counted
constexpr size_t kMaxListed = 50;   // failures, transfers and damaged lines shown; the rest are counted

struct CapabilityRow {
    std::string set, answered;
    std::vector<std::string> failedSets;
};

struct StripRun {
    std::string first;
    uint64_t strips = 0, bytes = 0, smallest = UINT64_MAX, largest = 0;
};

class CSummary {
public:
    void Take(const TraceRecord& record) {
        auto where = [&] {
            return record.kind == TraceRecord::Kind::Triplet ? Number(record)
                   : record.kind == TraceRecord::Kind::Event ? "event after " + Number(m_lastNumber)
                                                              : RecordName(record, m_lastNumber);
        };
        for (const std::string& damage : record.damage) Damaged(where() + ": " + damage);
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
            ++m_kinds[record.dg.text + "/" + record.dat.text + "/" + record.msg.text];
            Failure(record);
            Capability(record);
            Transfer(record);
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

    void Write(std::ostream& out) {
        Failure(TraceRecord());  // a failure at the very end was never followed by a status
        out << "Records: " << m_triplets + m_events << ": " << m_triplets << " triplets, " << m_events
            << " claimed events\n\nTriplets by kind:\n";
        for (const auto& [kind, count] : m_kinds) out << "  " << Pad(std::to_string(count), 6, true) << "  " << kind << "\n";
        out << "\nStates: ";
        for (size_t i = 0; i < m_states.size(); ++i) out << (i ? " -> " : "") << m_states[i];
        if (m_moreStates) out << " -> ... " << m_moreStates << " more changes";
        out << (m_states.empty() ? "none shown\n" : "\n");
        Section(out, "Failures", m_failures.Lines());
        if (!m_capabilities.empty()) {
            std::vector<std::vector<std::string>> rows = {{"capability", "set by the application",
                                                           "answered by the driver", "failed sets"}};
            for (const auto& [cap, row] : m_capabilities) {
                std::string failed;
                for (const std::string& number : row.failedSets) failed += (failed.empty() ? "" : ", ") + number;
                rows.push_back({cap, row.set.empty() ? "-" : row.set, row.answered.empty() ? "-" : row.answered,
                                failed.empty() ? "-" : failed});
            }
            out << "\nCapabilities:\n";
            Table(out, rows);
        }
        Section(out, "Transfers", m_transfers.Lines());
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

    // A failure, and the condition code of the status the application asked next.
    void Failure(const TraceRecord& record) {
        if (!m_failure.empty()) {
            const TraceNode* condition = record.Field("ConditionCode", "TW_STATUS");
            bool status = record.Is(DAT_STATUS, MSG_GET) && condition;
            m_failures.Add(m_failure + ": " +
                                 (status ? condition->value + " (" + Number(record) + ")" : "status never asked"));
            m_failure.clear();
        }
        if (record.hasResult && record.rc.value == TWRC_FAILURE && record.kind == TraceRecord::Kind::Triplet)
            m_failure = RecordName(record, m_lastNumber) + " -> " + record.rc.text;
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
    void Image(const std::string& transfer) {
        ++m_images;
        m_transfers.Add("image " + std::to_string(m_images) + ": " +
                              (m_image.empty() ? "no TW_IMAGEINFO asked" : m_image) + "; " + transfer);
        m_image.clear();
    }

    int64_t m_lastNumber = 0;
    uint64_t m_triplets = 0, m_events = 0, m_images = 0;
    std::map<std::string, uint64_t> m_kinds;
    int m_state = 0;
    std::vector<std::string> m_states;
    size_t m_moreStates = 0;
    std::string m_failure;
    Listed m_failures;
    std::map<std::string, CapabilityRow> m_capabilities;
    std::string m_image;
    StripRun m_strips;
    Listed m_transfers;
    Listed m_damage;
};

}  // namespace

int RunSummary(CTraceReader& reader, std::ostream& out, ReadProblem& problem) {
    CSummary summary;
    int status = ReadEach(reader, problem, [&](const TraceRecord& record) { summary.Take(record); });
    if (status != kExitUnreadable) summary.Write(out);
    return status;
}

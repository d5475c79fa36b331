#include "TraceReader.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "FileText.h"
#include "TraceNames.h"

namespace {

// The lines the monitor writes around a record's structure.
constexpr std::string_view kReturnCodeHead = "        Return Code = [";
constexpr std::string_view kDataPointerHead = "pData   = <";
constexpr std::string_view kStateHead = "TWAIN Status = [";
constexpr std::string_view kBracketStart = "*** Inspect Error Status Start ***";
constexpr std::string_view kBracketEnd = "*** Inspect Error Status End   ***";
constexpr std::string_view kOverLength = "Size of CAP_xxx too long";

constexpr size_t kChunk = 1 << 20;
constexpr uint64_t kProgressStep = 16u << 20;

bool StartsWith(std::string_view text, std::string_view head) { return text.substr(0, head.size()) == head; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// "[00012] [APP] " at the start of a triplet line: the number and where the
// label's text starts and ends.
bool SplitTripletHead(std::string_view line, int64_t& number, std::string_view& label, std::string_view& rest) {
    if (line.size() < 6 || line[0] != '[' || !IsDigit(line[1])) return false;
    size_t close = line.find("] [", 1);
    if (close == std::string_view::npos) return false;
    for (size_t i = 1; i < close; ++i)
        if (!IsDigit(line[i])) return false;
    if (close > 19 || !ParseTraceNumber(line.substr(1, close - 1), number)) return false;
    size_t labelEnd = line.find("] ", close + 3);
    if (labelEnd == std::string_view::npos) return false;
    label = line.substr(close + 3, labelEnd - close - 3);
    rest = line.substr(labelEnd + 2);
    return true;
}

}  // namespace

struct CTraceReader::State {
    FILE* file = nullptr;
    std::string_view text;        // the input when it is in memory
    std::vector<char> buffer;     // the input read so far and not yet taken, for a file
    size_t begin = 0, end = 0;    // unread bytes of buffer
    bool eof = false;
    bool readError = false;
    uint64_t bytes = 0;           // taken as lines so far
    uint64_t nextProgress = kProgressStep;
    std::function<void(uint64_t)> progress;
    uint64_t lineNumber = 0;
    std::string line;             // the current line, without its line end
    bool lineTooLong = false;
    // A line already read that starts the next record, and the rest of a line
    // after an over-length marker.
    bool pending = false;
    std::string pendingLine;
    uint64_t pendingNumber = 0;
    bool pendingCut = false;
    // Blocks open in the current record's structure.
    int depth = 0;
    std::string label;  // a label line's name, waiting for its block
    size_t extraDamage = 0;
    bool keepText = false;
    size_t textDropped = 0;  // lines of the current record past TraceRecord::kMaxText
    // A record whose call was still on its way when the source's own records came
    // (a source says MSG_XFERREADY from inside MSG_ENABLEDS): its result follows them.
    bool holding = false;
    TraceRecord held;

    bool ReadLine();
    bool Fill();
    void Damage(TraceRecord& record, uint64_t at, std::string what);
    void Begin(TraceRecord& record, uint64_t at);
    // False when the line starts a new record.
    bool Take(TraceRecord& record, std::string_view text, uint64_t at, bool cut);
    void Structure(TraceRecord& record, std::string_view text, uint64_t at, bool cut);
    void Finish(TraceRecord& record);
    void Keep(TraceRecord& record, std::string_view text);
};

CTraceReader::CTraceReader(FILE* file) : m(std::make_unique<State>()) {
    m->file = file;
    m->buffer.resize(kChunk);
}

CTraceReader::CTraceReader(std::string_view text) : m(std::make_unique<State>()) {
    m->text = text;
    m->eof = true;
}

CTraceReader::~CTraceReader() = default;

uint64_t CTraceReader::BytesRead() const { return m->bytes; }
bool CTraceReader::ReadError() const { return m->readError; }
void CTraceReader::KeepText() { m->keepText = true; }
void CTraceReader::OnProgress(std::function<void(uint64_t)> progress) { m->progress = std::move(progress); }

// More input into the buffer, keeping the unread part; false at the end.
bool CTraceReader::State::Fill() {
    if (eof || !file) return false;
    if (begin > 0) {
        memmove(buffer.data(), buffer.data() + begin, end - begin);
        end -= begin;
        begin = 0;
    }
    if (end == buffer.size()) return true;
    size_t n = fread(buffer.data() + end, 1, buffer.size() - end, file);
    end += n;
    if (n == 0) {
        eof = true;
        readError = ferror(file) != 0;
        return false;
    }
    return true;
}

// The next line into line (at most kMaxLine characters of it), CR LF or LF
// removed; false at the end of the input.
bool CTraceReader::State::ReadLine() {
    line.clear();
    lineTooLong = false;
    bool any = false;
    for (;;) {
        std::string_view avail = file ? std::string_view(buffer.data() + begin, end - begin) : text;
        if (avail.empty()) {
            if (!file || !Fill()) break;
            continue;
        }
        any = true;
        const char* nl = static_cast<const char*>(memchr(avail.data(), '\n', avail.size()));
        size_t take = nl ? static_cast<size_t>(nl - avail.data()) : avail.size();
        size_t room = kMaxLine - line.size();
        if (take > room) lineTooLong = true;
        line.append(avail.data(), take < room ? take : room);
        size_t consumed = take + (nl ? 1 : 0);
        bytes += consumed;
        if (file) begin += consumed;
        else text.remove_prefix(consumed);
        if (nl) break;
    }
    if (!any) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (lineNumber == 0) line.erase(0, ByteOrderMarkLength(line));
    // The monitor escapes what it quotes; a raw control byte here came from elsewhere
    // and must reach no terminal through what the tools quote.
    if (NeedsEscapes(line)) line = ShownText(line, SIZE_MAX);
    ++lineNumber;
    if (progress && bytes >= nextProgress) {
        nextProgress = bytes + kProgressStep;
        progress(bytes);
    }
    return true;
}

void CTraceReader::State::Damage(TraceRecord& record, uint64_t at, std::string what) {
    if (record.damage.size() < kMaxDamage) record.damage.push_back("line " + std::to_string(at) + ": " + what);
    else ++extraDamage;
}

void CTraceReader::State::Begin(TraceRecord& record, uint64_t at) {
    record.Clear();
    record.firstLine = record.lastLine = at;
    depth = 0;
    label.clear();
    extraDamage = 0;
    textDropped = 0;
}

void CTraceReader::State::Keep(TraceRecord& record, std::string_view text) {
    if (!keepText) return;
    if (record.text.size() + text.size() >= TraceRecord::kMaxText) {
        ++textDropped;
        return;
    }
    record.text.append(text);
    record.text += '\n';
}

void CTraceReader::State::Finish(TraceRecord& record) {
    if (textDropped > 0) record.text += "... and " + std::to_string(textDropped) + " more lines\n";
    if (extraDamage > 0) record.damage.push_back("and " + std::to_string(extraDamage) + " more damaged lines");
    if (record.kind == TraceRecord::Kind::Unreadable) return;
    if (!record.hasResult) {
        record.damage.push_back("line " + std::to_string(record.lastLine) +
                                ": the record has no return code (the session ended, or its call never returned)");
    } else if (depth > 0 && !record.overLength) {
        record.damage.push_back("line " + std::to_string(record.lastLine) + ": a structure block is not closed");
    }
}

bool CTraceReader::Next(TraceRecord& record) {
    State& s = *m;
    // Find a record's first line; anything before it is unreadable.
    bool started = false;
    while (!started) {
        std::string_view text;
        uint64_t at;
        bool cut = false;
        if (s.pending) {
            s.pending = false;
            text = s.pendingLine;
            at = s.pendingNumber;
            cut = s.pendingCut;
        } else {
            if (!s.ReadLine()) {
                if (!s.holding) return false;
                // The input ended with the held record still waiting for its result.
                s.holding = false;
                record = s.held;
                s.Finish(record);
                return true;
            }
            text = s.line;
            at = s.lineNumber;
        }
        // The tail of a record cut at 5120 characters, with the next record glued to it.
        size_t marker = text.find(kOverLength);
        if (marker != std::string_view::npos) {
            std::string head(text.substr(0, marker)), glued(text.substr(marker + kOverLength.size()));
            if (!glued.empty()) {
                s.pending = true;
                s.pendingLine = glued;
                s.pendingNumber = at;
                s.pendingCut = false;
            }
            s.Begin(record, at);
            s.Keep(record, text.substr(0, marker + kOverLength.size()));
            record.kind = TraceRecord::Kind::Unreadable;
            record.overLength = true;
            record.damage.push_back("line " + std::to_string(at) + ": the end of a record cut at 5120 characters: " +
                                    ShownText(head));
            return true;
        }
        int64_t number;
        std::string_view label, rest;
        const bool isTriplet = SplitTripletHead(text, number, label, rest);
        if (s.holding && StartsWith(text, kReturnCodeHead)) {
            // The held record's result: it goes on from where it stopped.
            s.Begin(record, at);
            record = s.held;
            s.holding = false;
            started = true;
            s.Take(record, text, at, cut);
            break;
        }
        if (s.holding && !(isTriplet && label == kSourceLabel)) {
            // Something else came: the held record never got its result.
            s.pending = true;
            s.pendingLine.assign(text);
            s.pendingNumber = at;
            s.pendingCut = cut;
            s.holding = false;
            record = s.held;
            s.Finish(record);
            return true;
        }
        bool starts = isTriplet || StartsWith(text, kReturnCodeHead);
        if (starts) {
            s.Begin(record, at);
            started = true;
            s.Take(record, text, at, cut);
            break;
        }
        if (text.empty() && record.kind != TraceRecord::Kind::Unreadable) continue;
        // Unreadable lines are gathered into one record of their own.
        s.Begin(record, at);
        record.kind = TraceRecord::Kind::Unreadable;
        s.Keep(record, text);
        record.damage.push_back("line " + std::to_string(at) + ": not a trace record: " + ShownText(text));
        size_t lines = 1;
        while (lines < kMaxUnreadableLines && s.ReadLine()) {
            std::string_view next = s.line;
            if (SplitTripletHead(next, number, label, rest) || StartsWith(next, kReturnCodeHead) ||
                next.find(kOverLength) != std::string_view::npos) {
                s.pending = true;
                s.pendingLine = next;
                s.pendingNumber = s.lineNumber;
                s.pendingCut = false;
                break;
            }
            record.lastLine = s.lineNumber;
            s.Keep(record, next);
            ++lines;
        }
        if (lines > 1) record.damage.back() += " (and " + std::to_string(lines - 1) + " more lines to line " +
                                               std::to_string(record.lastLine) + ")";
        s.Finish(record);
        return true;
    }
    while (s.ReadLine()) {
        if (s.lineTooLong) s.Damage(record, s.lineNumber, "a line longer than " + std::to_string(kMaxLine) +
                                                              " characters (the rest of it is not read)");
        if (!s.Take(record, s.line, s.lineNumber, false)) break;
    }
    int64_t number;
    std::string_view label, rest;
    if (!s.holding && record.kind == TraceRecord::Kind::Triplet && !record.hasResult && s.pending &&
        SplitTripletHead(s.pendingLine, number, label, rest) && label == kSourceLabel) {
        // The source's record inside this one's call: this one waits for its result.
        s.holding = true;
        s.held = record;
        return Next(record);
    }
    if (s.holding && record.FromSource()) {
        record.withinNumber = s.held.number;
        record.withinDat = s.held.dat.value;
        record.withinMsg = s.held.msg.value;
    }
    s.Finish(record);
    return true;
}

// One line of the current record. A line that starts the next record is kept for
// it; the text after an over-length marker is handled as a line of its own.
bool CTraceReader::State::Take(TraceRecord& record, std::string_view text, uint64_t at, bool cut) {
    size_t marker = text.find(kOverLength);
    if (marker != std::string_view::npos) {
        std::string rest(text.substr(marker + kOverLength.size()));
        if (marker > 0) Take(record, text.substr(0, marker), at, true);
        Keep(record, kOverLength);
        record.overLength = true;
        record.lastLine = at;
        if (rest.empty()) return true;
        // The next text was written right after the marker, on the same line.
        return Take(record, rest, at, false);
    }

    int64_t number;
    std::string_view label, rest;
    bool isTriplet = SplitTripletHead(text, number, label, rest);
    bool isResult = StartsWith(text, kReturnCodeHead);
    if ((isTriplet && (record.number >= 0 || record.hasResult)) || (isResult && record.hasResult)) {
        pending = true;
        pendingLine.assign(text);
        pendingNumber = at;
        pendingCut = cut;
        return false;
    }
    record.lastLine = at;
    Keep(record, text);
    if (isTriplet) {
        record.kind = TraceRecord::Kind::Triplet;
        record.number = number;
        record.label.assign(label);
        // "DG/DAT/MSG" and, for a capability, " (CAP)".
        std::string_view triplet = rest;
        size_t paren = rest.find(" (");
        if (paren != std::string_view::npos && rest.back() == ')') {
            triplet = rest.substr(0, paren);
            record.hasCap = true;
            SetTraceName(record.cap, NameKind::Capability, rest.substr(paren + 2, rest.size() - paren - 3));
        }
        size_t slash1 = triplet.find('/');
        size_t slash2 = slash1 == std::string_view::npos ? slash1 : triplet.find('/', slash1 + 1);
        if (slash2 == std::string_view::npos) {
            Damage(record, at, "expected DG/DAT/MSG after the record number");
            return true;
        }
        SetTraceName(record.dg, NameKind::Dg, triplet.substr(0, slash1));
        SetTraceName(record.dat, NameKind::Dat, triplet.substr(slash1 + 1, slash2 - slash1 - 1));
        SetTraceName(record.msg, NameKind::Msg, triplet.substr(slash2 + 1));
        // The DG is printed as a signed 32-bit number when it has no name.
        record.dg.value = static_cast<uint32_t>(record.dg.value);
        for (const TraceName* name : {&record.dg, &record.dat, &record.msg, &record.cap}) {
            if (!name->known && (name != &record.cap || record.hasCap))
                Damage(record, at, "'" + ShownText(name->text) + "' is no name of the tables");
        }
        return true;
    }
    if (isResult) {
        if (record.number < 0) record.kind = TraceRecord::Kind::Event;
        record.hasResult = true;
        std::string_view value = text.substr(kReturnCodeHead.size());
        if (!value.empty() && value.back() == ']') value.remove_suffix(1);
        else if (!cut) Damage(record, at, "expected ']' after the return code");
        SetTraceName(record.rc, NameKind::ReturnCode, value);
        if (!record.rc.known && !cut) Damage(record, at, "'" + ShownText(record.rc.text) + "' is no return code");
        return true;
    }
    if (StartsWith(text, kDataPointerHead)) {
        int64_t pointer = 0;
        std::string_view value = text.substr(kDataPointerHead.size());
        if (!value.empty() && value.back() == '>') value.remove_suffix(1);
        if (ParseTraceNumber(value, pointer)) record.dataPointer = static_cast<uint64_t>(pointer);
        else if (!cut) Damage(record, at, "expected a pointer after pData");
        return true;
    }
    if (StartsWith(text, kStateHead)) {
        int64_t state = 0;
        std::string_view value = text.substr(kStateHead.size());
        if (!value.empty() && value.back() == ']') value.remove_suffix(1);
        if (ParseTraceNumber(value, state) && state >= 0 && state <= 9) {
            record.hasState = true;
            record.state = static_cast<int>(state);
        } else if (!cut) {
            Damage(record, at, "expected a state 1 to 7");
        }
        return true;
    }
    if (text == kBracketStart) {
        record.failureBracket = true;
        return true;
    }
    if (text == kBracketEnd) {
        if (!record.failureBracket) Damage(record, at, "a failure bracket's end without its start");
        return true;
    }
    if (text.empty()) return true;
    if (!record.hasResult) {
        Damage(record, at, "expected the return code line, found: " + ShownText(text));
        return true;
    }
    Structure(record, text, at, cut);
    return true;
}

// A line of the structure text: a block's heading or end, a field, a list item or
// a renderer's note.
void CTraceReader::State::Structure(TraceRecord& record, std::string_view text, uint64_t at, bool cut) {
    if (record.Nodes().size() >= kMaxNodes) {
        Damage(record, at, "more structure lines than a record holds");
        return;
    }
    auto add = [&](TraceNode::Kind kind, std::string_view name, std::string_view value, char open) -> TraceNode& {
        TraceNode& node = record.AddNode();
        node.kind = kind;
        node.depth = depth;
        node.open = open;
        node.cut = cut;
        node.name.assign(name);
        node.value.assign(value);
        return node;
    };
    // A label not followed by its block stands as an empty field.
    auto flushLabel = [&] {
        if (label.empty()) return;
        add(TraceNode::Kind::Field, label, "", 0);
        label.clear();
    };
    auto open = [&](std::string_view type) {
        add(TraceNode::Kind::Block, type, label, 0);
        label.clear();
        ++depth;
    };

    std::string_view body = Trim(text);
    if (body == "}") {
        flushLabel();
        if (depth == 0) Damage(record, at, "a '}' with no block open");
        else --depth;
        return;
    }
    if (StartsWith(body, "!!!")) {
        flushLabel();
        add(TraceNode::Kind::Marker, "", body, 0);
        return;
    }
    size_t colon = body.find(':');
    if (colon != std::string_view::npos && colon > 0 && colon < 12) {
        bool index = true;
        for (size_t i = 0; i < colon; ++i) index = index && IsDigit(body[i]);
        if (index) {
            flushLabel();
            std::string_view value = body.substr(colon + 1);
            // The comma that separates items; the last item has none.
            if (!value.empty() && value.back() == ',') value.remove_suffix(1);
            add(TraceNode::Kind::Item, body.substr(0, colon), value, 0);
            return;
        }
    }
    size_t equals = body.find('=');
    if (equals == std::string_view::npos) {
        if (!cut) Damage(record, at, "expected a field, found: " + ShownText(body));
        return;
    }
    std::string_view name = Trim(body.substr(0, equals));
    std::string_view value = Trim(body.substr(equals + 1));
    if (value.empty()) {
        flushLabel();
        // A label ("Version =", "StageABC="): the block that follows is its value.
        label.assign(name);
        return;
    }
    char opening = value.front();
    char closing = opening == '[' ? ']' : opening == '<' ? '>' : opening == '{' ? '}' : 0;
    if (opening == '{' && value.back() == '{') {
        // "Name = {" opens a block; "Label = {    TYPE = {" a labelled one.
        std::string_view inner = Trim(value.substr(1));
        if (inner.empty()) return open(name);
        size_t innerEquals = inner.find('=');
        flushLabel();
        label.assign(name);
        return open(Trim(inner.substr(0, innerEquals)));
    }
    flushLabel();
    if (!closing) {
        if (!cut) Damage(record, at, "expected '[', '<' or '{' after '=': " + ShownText(body));
        return;
    }
    size_t close = value.rfind(closing);
    if (close == 0 || close == std::string_view::npos) {
        if (!cut) Damage(record, at, std::string("expected '") + closing + "' at the end of the line");
        close = value.size();
    }
    add(TraceNode::Kind::Field, name, value.substr(1, close - 1), opening);
}

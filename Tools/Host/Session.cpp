#include "Session.h"

#include <CoreServices/CoreServices.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "ScriptNames.h"
#include "twaintbl.h"

namespace {

// Every triplet's data lives in a zeroed block at least this large, so a source
// that writes a structure bigger than the host expects writes into the block.
constexpr size_t kDataBlockSize = 4096;
// The number of entries of a response curve when the script does not say: one per
// value of an 8-bit sample.
constexpr int64_t kDefaultResponseEntries = 256;
// TW_MEMORY flags: the application's buffer, passed by pointer.
constexpr TW_UINT32 kMemoryAppOwns = 0x0001;
constexpr TW_UINT32 kMemoryPointer = 0x0008;

// ---------------------------------------------------------------- tokens

struct Token {
    std::string text;
    bool quoted;
};

// Words separated by blanks; "..." is one word (no escapes); "#" outside quotes
// starts a comment.
bool SplitLine(std::string_view line, std::vector<Token>& tokens, std::string& problem) {
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            size_t close = line.find('"', i + 1);
            if (close == std::string_view::npos) {
                problem = "a quoted text is not closed";
                return false;
            }
            tokens.push_back({std::string(line.substr(i + 1, close - i - 1)), true});
            i = close + 1;
        } else {
            size_t end = line.find_first_of(" \t\r#\"", i);
            if (end == std::string_view::npos) end = line.size();
            tokens.push_back({std::string(line.substr(i, end - i)), false});
            i = end;
        }
    }
    return true;
}

// ---------------------------------------------------------------- item values

struct ItemTypeInfo {
    TW_UINT16 type;
    size_t size;
    int64_t min;
    int64_t max;
    bool isSigned;
};

constexpr ItemTypeInfo kItemTypes[] = {
    {TWTY_INT8, sizeof(TW_INT8), INT8_MIN, INT8_MAX, true},
    {TWTY_INT16, sizeof(TW_INT16), INT16_MIN, INT16_MAX, true},
    {TWTY_INT32, sizeof(TW_INT32), INT32_MIN, INT32_MAX, true},
    {TWTY_UINT8, sizeof(TW_UINT8), 0, UINT8_MAX, false},
    {TWTY_UINT16, sizeof(TW_UINT16), 0, UINT16_MAX, false},
    {TWTY_UINT32, sizeof(TW_UINT32), 0, UINT32_MAX, false},
    {TWTY_BOOL, sizeof(TW_BOOL), 0, UINT16_MAX, false},
    {TWTY_FIX32, sizeof(TW_FIX32), 0, 0, true},
    {TWTY_FRAME, sizeof(TW_FRAME), 0, 0, true},
    {TWTY_STR32, sizeof(TW_STR32), 0, 0, false},
    {TWTY_STR64, sizeof(TW_STR64), 0, 0, false},
    {TWTY_STR128, sizeof(TW_STR128), 0, 0, false},
    {TWTY_STR255, sizeof(TW_STR255), 0, 0, false},
};

const ItemTypeInfo* FindItemType(TW_UINT16 type) {
    for (const ItemTypeInfo& info : kItemTypes)
        if (info.type == type) return &info;
    return nullptr;
}

bool IsText(TW_UINT16 type) { return type >= TWTY_STR32 && type <= TWTY_STR255; }
int TokensPerItem(TW_UINT16 type) { return type == TWTY_FRAME ? 4 : 1; }

// Rounded to the nearest 1/65536, the way applications convert a float.
bool ParseFix32(const Token& token, TW_FIX32& out) {
    if (token.quoted || token.text.empty()) return false;
    char* end = nullptr;
    double value = strtod(token.text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value) || value < -32768.0 || value >= 32768.0) return false;
    auto bits = static_cast<TW_INT32>(std::lround(value * 65536.0));
    out.Whole = static_cast<TW_INT16>(bits >> 16);
    out.Frac = static_cast<TW_UINT16>(bits & 0xffff);
    return true;
}

// One item from tokens[pos...] into out (info.size bytes).
bool EncodeItem(const ItemTypeInfo& info, const std::vector<Token>& tokens, size_t pos, unsigned char* out,
                std::string& problem) {
    const Token& token = tokens[pos];
    if (IsText(info.type)) {
        if (token.text.size() >= info.size) {
            problem = "text \"" + token.text + "\" is longer than its type holds";
            return false;
        }
        memcpy(out, token.text.c_str(), token.text.size() + 1);
        return true;
    }
    if (info.type == TWTY_FIX32 || info.type == TWTY_FRAME) {
        for (int i = 0; i < TokensPerItem(info.type); ++i) {
            TW_FIX32 value;
            if (!ParseFix32(tokens[pos + i], value)) {
                problem = "'" + tokens[pos + i].text + "' is not a TWTY_FIX32 number";
                return false;
            }
            memcpy(out + i * sizeof(TW_FIX32), &value, sizeof(value));
        }
        return true;
    }
    int64_t value = 0;
    if (token.quoted || !ParseNamedNumber(kValueNames, token.text, value) || value < info.min || value > info.max) {
        problem = "'" + token.text + "' is no value of its item type";
        return false;
    }
    // Little-endian: the low bytes of the value are the item.
    auto bits = static_cast<uint64_t>(value);
    for (size_t i = 0; i < info.size; ++i) out[i] = static_cast<unsigned char>(bits >> (8 * i));
    return true;
}

// A range holds its values as TW_UINT32, signed ones widened with their sign.
bool EncodeRangeValue(const ItemTypeInfo& info, const std::vector<Token>& tokens, size_t pos, TW_UINT32& out,
                      std::string& problem) {
    unsigned char item[4] = {};
    if (!EncodeItem(info, tokens, pos, item, problem)) return false;
    uint32_t bits = 0;
    for (size_t i = 0; i < info.size; ++i) bits |= static_cast<uint32_t>(item[i]) << (8 * i);
    if (info.isSigned && info.size < 4 && info.type != TWTY_FIX32) {
        uint32_t sign = 1u << (8 * info.size - 1);
        if (bits & sign) bits |= ~((sign << 1) - 1);
    }
    out = bits;
    return true;
}

// ---------------------------------------------------------------- arguments

using Arguments = std::vector<Token>;

template <typename T>
void StoreData(SessionStep& step, const T& value) {
    step.data.resize(std::max(step.data.size(), sizeof(T)));
    memcpy(step.data.data(), &value, sizeof(T));
}

template <typename T>
void StoreAt(std::vector<unsigned char>& bytes, size_t offset, const T& value) {
    memcpy(bytes.data() + offset, &value, sizeof(T));
}

// CAP [ONEVALUE|ARRAY|ENUMERATION|RANGE TWTY_x values...]
bool ParseCapabilityArguments(const Arguments& args, SessionStep& step, std::string& problem) {
    int64_t value = 0;
    if (args.empty() || !ParseNamedNumber(kCapabilityNames, args[0].text, value) || value < 0 || value > 0xffff) {
        problem = args.empty() ? "DAT_CAPABILITY needs a capability" : "unknown capability '" + args[0].text + "'";
        return false;
    }
    TW_CAPABILITY cap{};
    cap.Cap = static_cast<TW_UINT16>(value);
    cap.ConType = TWON_DONTCARE16;
    if (args.size() == 1) {
        StoreData(step, cap);
        return true;
    }

    std::string container = args[1].text;
    const ItemTypeInfo* info = nullptr;
    if (args.size() < 3 || !ParseNamedNumber(kItemTypeNames, args[2].text, value) ||
        !(info = FindItemType(static_cast<TW_UINT16>(value)))) {
        problem = args.size() < 3 ? "a container needs an item type" : "unknown item type '" + args[2].text + "'";
        return false;
    }
    const size_t first = 3;
    const size_t count = args.size() - first;
    const size_t per = static_cast<size_t>(TokensPerItem(info->type));
    std::vector<unsigned char>& bytes = step.container;

    if (container == "ONEVALUE") {
        if (count != per) {
            problem = "ONEVALUE takes one value";
            return false;
        }
        cap.ConType = TWON_ONEVALUE;
        bytes.assign(std::max(sizeof(TW_ONEVALUE), offsetof(TW_ONEVALUE, Item) + info->size), 0);
        StoreAt(bytes, offsetof(TW_ONEVALUE, ItemType), info->type);
        if (!EncodeItem(*info, args, first, bytes.data() + offsetof(TW_ONEVALUE, Item), problem)) return false;
    } else if (container == "ARRAY") {
        if (count % per != 0) {
            problem = "ARRAY values do not make whole items";
            return false;
        }
        size_t items = count / per;
        cap.ConType = TWON_ARRAY;
        bytes.assign(std::max(sizeof(TW_ARRAY), offsetof(TW_ARRAY, ItemList) + items * info->size), 0);
        StoreAt(bytes, offsetof(TW_ARRAY, ItemType), info->type);
        StoreAt(bytes, offsetof(TW_ARRAY, NumItems), static_cast<TW_UINT32>(items));
        for (size_t i = 0; i < items; ++i)
            if (!EncodeItem(*info, args, first + i * per, bytes.data() + offsetof(TW_ARRAY, ItemList) + i * info->size,
                            problem))
                return false;
    } else if (container == "ENUMERATION") {
        int64_t current = 0;
        int64_t fallback = 0;
        if (count < 2 || !ParseNumber(args[first].text, current) || !ParseNumber(args[first + 1].text, fallback) ||
            current < 0 || current > UINT32_MAX || fallback < 0 || fallback > UINT32_MAX || (count - 2) % per != 0) {
            problem = "ENUMERATION takes the current index, the default index, then the values";
            return false;
        }
        size_t items = (count - 2) / per;
        cap.ConType = TWON_ENUMERATION;
        bytes.assign(std::max(sizeof(TW_ENUMERATION), offsetof(TW_ENUMERATION, ItemList) + items * info->size), 0);
        StoreAt(bytes, offsetof(TW_ENUMERATION, ItemType), info->type);
        StoreAt(bytes, offsetof(TW_ENUMERATION, NumItems), static_cast<TW_UINT32>(items));
        StoreAt(bytes, offsetof(TW_ENUMERATION, CurrentIndex), static_cast<TW_UINT32>(current));
        StoreAt(bytes, offsetof(TW_ENUMERATION, DefaultIndex), static_cast<TW_UINT32>(fallback));
        for (size_t i = 0; i < items; ++i)
            if (!EncodeItem(*info, args, first + 2 + i * per,
                            bytes.data() + offsetof(TW_ENUMERATION, ItemList) + i * info->size, problem))
                return false;
    } else if (container == "RANGE") {
        if (count != 5 || per != 1 || IsText(info->type)) {
            problem = "RANGE takes a number type and five values: min max step default current";
            return false;
        }
        TW_RANGE range{};
        range.ItemType = info->type;
        TW_UINT32* slots[] = {&range.MinValue, &range.MaxValue, &range.StepSize, &range.DefaultValue,
                              &range.CurrentValue};
        for (size_t i = 0; i < 5; ++i)
            if (!EncodeRangeValue(*info, args, first + i, *slots[i], problem)) return false;
        cap.ConType = TWON_RANGE;
        bytes.assign(sizeof(TW_RANGE), 0);
        StoreAt(bytes, 0, range);
    } else {
        problem = "unknown container '" + container + "'";
        return false;
    }
    StoreData(step, cap);
    return true;
}

// Up to `limit` numbers from the list of names given.
bool ParseNumbers(const Arguments& args, size_t limit, const NameTables& names, std::vector<int64_t>& numbers,
                  std::string& problem) {
    if (args.size() > limit) {
        problem = "too many arguments";
        return false;
    }
    for (const Token& token : args) {
        int64_t value = 0;
        if (token.quoted || !ParseNamedNumber(names, token.text, value)) {
            problem = "'" + token.text + "' is not a number";
            return false;
        }
        numbers.push_back(value);
    }
    return true;
}

// [ShowUI [ModalUI]]
bool ParseUserInterfaceArguments(const Arguments& args, SessionStep& step, std::string& problem) {
    std::vector<int64_t> flags;
    if (!ParseNumbers(args, 2, kValueNames, flags, problem)) return false;
    TW_USERINTERFACE ui{};
    ui.ShowUI = flags.size() > 0 ? static_cast<TW_BOOL>(flags[0]) : 0;
    ui.ModalUI = flags.size() > 1 ? static_cast<TW_BOOL>(flags[1]) : 0;
    StoreData(step, ui);
    return true;
}

// [Left Top Right Bottom], for MSG_SET.
bool ParseImageLayoutArguments(const Arguments& args, SessionStep& step, std::string& problem) {
    if (args.empty()) return true;
    if (args.size() != 4) {
        problem = "a layout takes Left Top Right Bottom";
        return false;
    }
    TW_IMAGELAYOUT layout{};
    TW_FIX32* edges[] = {&layout.Frame.Left, &layout.Frame.Top, &layout.Frame.Right, &layout.Frame.Bottom};
    for (size_t i = 0; i < 4; ++i) {
        if (!ParseFix32(args[i], *edges[i])) {
            problem = "'" + args[i].text + "' is not a TWTY_FIX32 number";
            return false;
        }
    }
    StoreData(step, layout);
    return true;
}

// The InfoIDs asked for, as numbers.
bool ParseExtImageInfoArguments(const Arguments& args, SessionStep& step, std::string& problem) {
    std::vector<int64_t> ids;
    if (!ParseNumbers(args, (kDataBlockSize - offsetof(TW_EXTIMAGEINFO, Info)) / sizeof(TW_INFO), kValueNames, ids,
                      problem))
        return false;
    std::vector<unsigned char>& bytes = step.data;
    bytes.assign(offsetof(TW_EXTIMAGEINFO, Info) + ids.size() * sizeof(TW_INFO), 0);
    StoreAt(bytes, offsetof(TW_EXTIMAGEINFO, NumInfos), static_cast<TW_UINT32>(ids.size()));
    for (size_t i = 0; i < ids.size(); ++i) {
        TW_INFO info{};
        info.InfoID = static_cast<TW_UINT16>(ids[i]);
        StoreAt(bytes, offsetof(TW_EXTIMAGEINFO, Info) + i * sizeof(TW_INFO), info);
    }
    return true;
}

// [Entries]: an identity curve of that many entries (256 for 8-bit samples).
bool ParseResponseArguments(const Arguments& args, SessionStep& step, std::string& problem) {
    std::vector<int64_t> numbers;
    if (!ParseNumbers(args, 1, kValueNames, numbers, problem)) return false;
    int64_t entries = numbers.empty() ? kDefaultResponseEntries : numbers[0];
    if (entries < 1 || entries > 256) {
        problem = "a response curve has 1 to 256 entries";
        return false;
    }
    step.data.assign(static_cast<size_t>(entries) * sizeof(TW_ELEMENT8), 0);
    for (int64_t i = 0; i < entries; ++i) {
        auto level = static_cast<TW_UINT8>(entries == 1 ? 0 : i * 255 / (entries - 1));
        TW_ELEMENT8 element{static_cast<TW_UINT8>(i), level, level, level};
        StoreAt(step.data, static_cast<size_t>(i) * sizeof(TW_ELEMENT8), element);
    }
    return true;
}

bool ParseNoArguments(const Arguments& args, SessionStep&, std::string& problem) {
    if (args.empty()) return true;
    problem = "this DAT takes no arguments";
    return false;
}

struct ArgumentRule {
    TW_UINT16 dat;
    bool (*parse)(const Arguments&, SessionStep&, std::string&);
};

// Only these DATs take arguments; the data of every other one starts all zero.
constexpr ArgumentRule kArgumentRules[] = {
    {DAT_CAPABILITY, ParseCapabilityArguments},
    {DAT_USERINTERFACE, ParseUserInterfaceArguments},
    {DAT_IMAGELAYOUT, ParseImageLayoutArguments},
    {DAT_EXTIMAGEINFO, ParseExtImageInfoArguments},
    {DAT_GRAYRESPONSE, ParseResponseArguments},
    {DAT_RGBRESPONSE, ParseResponseArguments},
};

bool ParseArguments(const Arguments& args, SessionStep& step, std::string& problem) {
    for (const ArgumentRule& rule : kArgumentRules)
        if (rule.dat == step.DAT) return rule.parse(args, step, problem);
    return ParseNoArguments(args, step, problem);
}

// "any" | TWRC_x [TWCC_x for DAT_STATUS]
bool ParseExpectation(const Arguments& words, SessionStep& step, std::string& problem) {
    Expectation& expect = step.expect;
    if (words.size() == 1 && words[0].text == "any") {
        expect.kind = Expectation::Kind::Any;
        return true;
    }
    int64_t value = 0;
    if (words.empty() || words.size() > 2 || !ParseNamedNumber(kReturnCodeNames, words[0].text, value) ||
        value < 0 || value > 0xffff) {
        problem = "after -> comes a return code, or any";
        return false;
    }
    expect.kind = Expectation::Kind::Exact;
    expect.rc = static_cast<TW_UINT16>(value);
    if (words.size() == 2) {
        if (step.DAT != DAT_STATUS || !ParseNamedNumber(kConditionCodeNames, words[1].text, value) || value < 0 ||
            value > 0xffff) {
            problem = "a condition code is expected of DAT_STATUS only";
            return false;
        }
        expect.checkCondition = true;
        expect.condition = static_cast<TW_UINT16>(value);
    }
    return true;
}

struct Directive {
    const char* word;
    SessionStep::Kind kind;
};

constexpr Directive kDirectives[] = {
    {"waitxferready", SessionStep::Kind::WaitXferReady},
    {"memxfer", SessionStep::Kind::MemXfer},
};

bool ParseLine(const std::vector<Token>& tokens, SessionStep& step, std::string& problem) {
    for (const Directive& directive : kDirectives) {
        if (tokens[0].text != directive.word) continue;
        if (tokens.size() != 1) {
            problem = std::string(directive.word) + " takes nothing more";
            return false;
        }
        step.kind = directive.kind;
        return true;
    }

    int64_t dg = 0;
    int64_t dat = 0;
    int64_t msg = 0;
    if (tokens.size() < 3) {
        problem = "a triplet is DG DAT MSG";
        return false;
    }
    if (!ParseNamedNumber(kDgNames, tokens[0].text, dg) || dg < 0 || dg > UINT32_MAX) {
        problem = "unknown DG '" + tokens[0].text + "'";
        return false;
    }
    if (!ParseNamedNumber(kDatNames, tokens[1].text, dat) || dat < 0 || dat > 0xffff) {
        problem = "unknown DAT '" + tokens[1].text + "'";
        return false;
    }
    if (!ParseNamedNumber(kMsgNames, tokens[2].text, msg) || msg < 0 || msg > 0xffff) {
        problem = "unknown MSG '" + tokens[2].text + "'";
        return false;
    }
    step.DG = static_cast<TW_UINT32>(dg);
    step.DAT = static_cast<TW_UINT16>(dat);
    step.MSG = static_cast<TW_UINT16>(msg);

    auto isArrow = [](const Token& t) { return !t.quoted && t.text == "->"; };
    auto arrow = std::find_if(tokens.begin() + 3, tokens.end(), isArrow);
    Arguments args(tokens.begin() + 3, arrow);
    if (!ParseArguments(args, step, problem)) return false;
    if (arrow == tokens.end()) return true;
    return ParseExpectation(Arguments(arrow + 1, tokens.end()), step, problem);
}

// ---------------------------------------------------------------- running

std::string NameOf(const MacroEntry* table, size_t rows, int64_t value) {
    char name[64];
    LookupMacroName(table, rows, value, name, sizeof(name));
    return name;
}

template <size_t N>
std::string NameOf(const MacroEntry (&table)[N], int64_t value) {
    return NameOf(table, N - 1, value);
}

std::string ReturnCodeName(TW_UINT16 rc) { return NameOf(twrc_macros, rc); }

// Empty when the answer is what the script expects; else what it expected.
std::string Complaint(const Expectation& expect, TW_UINT16 rc, TW_UINT16 condition) {
    switch (expect.kind) {
        case Expectation::Kind::Any: return "";
        case Expectation::Kind::NotFailure: return rc == TWRC_FAILURE ? "expected no TWRC_FAILURE" : "";
        case Expectation::Kind::Exact:
            if (rc != expect.rc) return "expected " + ReturnCodeName(expect.rc);
            if (expect.checkCondition && condition != expect.condition)
                return "expected " + NameOf(twcc_macros, expect.condition);
            return "";
    }
    return "";
}

template <typename T>
T* BlockAs(unsigned char* block) {
    return reinterpret_cast<T*>(block);
}

// A handle that the source left for the application, which owns it now.
void DisposeAnswered(TW_HANDLE answered, TW_HANDLE sent) {
    if (answered && answered != sent) DisposeHandle(answered);
}

}  // namespace

bool ParseSessionScript(std::string_view text, std::vector<SessionStep>& steps, std::string& error) {
    steps.clear();
    int lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;

        std::vector<Token> tokens;
        std::string problem;
        if (!SplitLine(line, tokens, problem)) {
            error = "line " + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
        if (tokens.empty()) continue;
        SessionStep step;
        step.line = lineNumber;
        if (!ParseLine(tokens, step, problem)) {
            error = "line " + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
        steps.push_back(std::move(step));
    }
    return true;
}

CHostSession::CHostSession(DSENTRYPROC entry, FILE* out)
    : m_entry(entry),
      m_out(out),
      m_application{},
      m_source{},
      m_nStripSize(kDefaultStripSize),
      m_eventRecord{},
      m_lastCondition(TWCC_SUCCESS),
      m_lastEventMessage(MSG_NULL),
      m_lastCap(0),
      m_nMismatches(0) {
    // As a manager would have registered it at MSG_OPENDSM.
    m_application.Id = reinterpret_cast<TW_MEMREF>(static_cast<uintptr_t>(1));
    m_application.Version.MajorNum = 1;
    m_application.Version.MinorNum = 0;
    m_application.Version.Language = TWLG_ENGLISH;
    m_application.Version.Country = TWCY_USA;
    snprintf(m_application.Version.Info, sizeof(m_application.Version.Info), "%s", "1.0");
    m_application.ProtocolMajor = 2;
    m_application.ProtocolMinor = 4;
    m_application.SupportedGroups = DG_CONTROL | DG_IMAGE;
    snprintf(m_application.Manufacturer, sizeof(m_application.Manufacturer), "%s", "TwainMonitor");
    snprintf(m_application.ProductFamily, sizeof(m_application.ProductFamily), "%s", "Session host");
    snprintf(m_application.ProductName, sizeof(m_application.ProductName), "%s", "twhost");
}

int CHostSession::Run(const std::vector<SessionStep>& steps) {
    for (const SessionStep& step : steps) {
        switch (step.kind) {
            case SessionStep::Kind::Triplet: {
                std::string detail;
                TW_UINT16 rc = Send(step, step.DG, step.DAT, step.MSG, detail);
                Report(step, step.DG, step.DAT, step.MSG, rc, detail, Complaint(step.expect, rc, m_lastCondition));
                break;
            }
            case SessionStep::Kind::WaitXferReady: WaitXferReady(step); break;
            case SessionStep::Kind::MemXfer: MemXfer(step); break;
        }
    }
    return m_nMismatches;
}

TW_UINT16 CHostSession::Send(const SessionStep& step, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                             std::string& detail) {
    std::vector<std::max_align_t> storage((std::max(kDataBlockSize, step.data.size()) + sizeof(std::max_align_t) - 1) /
                                          sizeof(std::max_align_t));
    auto* block = reinterpret_cast<unsigned char*>(storage.data());
    // Value-initialised max_align_t leaves its padding undefined (a long double
    // copies 10 of its 16 bytes): the data starts all zero only when cleared by byte.
    memset(block, 0, storage.size() * sizeof(std::max_align_t));
    if (!step.data.empty()) memcpy(block, step.data.data(), step.data.size());
    void* pData = block;
    TW_HANDLE sentContainer = nullptr;
    std::vector<unsigned char> strip;
    TW_UINT16 cap = 0;

    switch (DAT) {
        case DAT_NULL:
        case DAT_IMAGEFILEXFER: pData = nullptr; break;
        case DAT_IDENTITY:
            if (MSG == MSG_OPENDS || MSG == MSG_CLOSEDS) pData = &m_source;
            break;
        case DAT_CAPABILITY:
            cap = BlockAs<TW_CAPABILITY>(block)->Cap;
            if (!step.container.empty()) {
                sentContainer = NewHandleClear(static_cast<Size>(step.container.size()));
                if (sentContainer) memcpy(*sentContainer, step.container.data(), step.container.size());
                BlockAs<TW_CAPABILITY>(block)->hContainer = sentContainer;
            }
            break;
        case DAT_EVENT: BlockAs<TW_EVENT>(block)->pEvent = m_eventRecord; break;
        case DAT_IMAGEMEMXFER: {
            // As an application asks for a strip: the source fills in every field.
            auto* xfer = BlockAs<TW_IMAGEMEMXFER>(block);
            strip.assign(m_nStripSize, 0);
            xfer->Compression = TWON_DONTCARE16;
            xfer->BytesPerRow = xfer->Columns = xfer->Rows = TWON_DONTCARE32;
            xfer->XOffset = xfer->YOffset = xfer->BytesWritten = TWON_DONTCARE32;
            xfer->Memory.Flags = kMemoryAppOwns | kMemoryPointer;
            xfer->Memory.Length = m_nStripSize;
            xfer->Memory.TheMem = strip.data();
            break;
        }
        default: break;
    }

    m_lastCondition = TWCC_SUCCESS;
    m_lastEventMessage = MSG_NULL;
    TW_UINT16 rc = m_entry(&m_application, DG, DAT, MSG, pData);

    switch (DAT) {
        case DAT_IDENTITY:
            if (MSG == MSG_GET && rc == TWRC_SUCCESS) memcpy(&m_source, block, sizeof(m_source));
            break;
        case DAT_CAPABILITY:
            DisposeAnswered(BlockAs<TW_CAPABILITY>(block)->hContainer, sentContainer);
            if (sentContainer) DisposeHandle(sentContainer);
            break;
        case DAT_STATUS:
            m_lastCondition = BlockAs<TW_STATUS>(block)->ConditionCode;
            detail = NameOf(twcc_macros, m_lastCondition);
            break;
        case DAT_EVENT:
            m_lastEventMessage = BlockAs<TW_EVENT>(block)->TWMessage;
            if (rc == TWRC_DSEVENT) detail = NameOf(msg_macros, m_lastEventMessage);
            break;
        case DAT_PENDINGXFERS:
            if (rc != TWRC_FAILURE) detail = "Count " + std::to_string(BlockAs<TW_PENDINGXFERS>(block)->Count);
            break;
        case DAT_SETUPMEMXFER:
            if (rc == TWRC_SUCCESS) {
                const auto* setup = BlockAs<TW_SETUPMEMXFER>(block);
                // Within what the source allows, and never absurdly large for the host.
                TW_UINT32 size = setup->Preferred ? setup->Preferred : setup->MaxBufSize;
                if (size > 0) m_nStripSize = std::min<TW_UINT32>(size, 16 * 1024 * 1024);
                detail = "Preferred " + std::to_string(setup->Preferred);
            }
            break;
        case DAT_IMAGEMEMXFER:
            if (rc == TWRC_SUCCESS || rc == TWRC_XFERDONE)
                detail = "BytesWritten " + std::to_string(BlockAs<TW_IMAGEMEMXFER>(block)->BytesWritten);
            break;
        case DAT_IMAGENATIVEXFER: DisposeAnswered(*BlockAs<TW_HANDLE>(block), nullptr); break;
        case DAT_CUSTOMDSDATA: DisposeAnswered(BlockAs<TW_CUSTOMDSDATA>(block)->hData, nullptr); break;
        default: break;
    }
    m_lastCap = cap;
    return rc;
}

void CHostSession::Report(const SessionStep& step, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_UINT16 rc,
                          const std::string& detail, const std::string& complaint) {
    // The triplet named as the trace names it.
    std::string line = NameOf(dg_macros, static_cast<int32_t>(DG)) + "/" +
                       (DAT < 0x8001 ? NameOf(dat_macros, DAT) : NameOf(dat_kq_macros, DAT)) + "/" +
                       (MSG < 0x8001 ? NameOf(msg_macros, MSG) : NameOf(msg_kq_macros, MSG));
    if (DAT == DAT_CAPABILITY) {
        char cap[64];
        LookupCapabilityName(m_lastCap, cap, sizeof(cap));
        line += std::string(" (") + cap + ")";
    }
    line += " -> " + ReturnCodeName(rc);
    if (!detail.empty()) line += " " + detail;
    if (!complaint.empty()) {
        line += "   MISMATCH: " + complaint + " (line " + std::to_string(step.line) + ")";
        ++m_nMismatches;
    }
    fprintf(m_out, "%s\n", line.c_str());
    fflush(m_out);
}

void CHostSession::WaitXferReady(const SessionStep& step) {
    for (int poll = 0; poll < kMaxEventPolls; ++poll) {
        std::string detail;
        TW_UINT16 rc = Send(step, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, detail);
        bool ready = rc == TWRC_DSEVENT && m_lastEventMessage == MSG_XFERREADY;
        bool polling = rc == TWRC_NOTDSEVENT || (rc == TWRC_DSEVENT && m_lastEventMessage != MSG_CLOSEDSREQ);
        if (ready || !polling) {
            Report(step, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, rc, detail, ready ? "" : "expected MSG_XFERREADY");
            return;
        }
        Report(step, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, rc, detail, "");
    }
    fprintf(m_out, "waitxferready: no MSG_XFERREADY after %d events   MISMATCH (line %d)\n", kMaxEventPolls, step.line);
    fflush(m_out);
    ++m_nMismatches;
}

void CHostSession::MemXfer(const SessionStep& step) {
    for (int strip = 0; strip < kMaxStrips; ++strip) {
        std::string detail;
        TW_UINT16 rc = Send(step, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, detail);
        bool done = rc == TWRC_XFERDONE;
        bool going = rc == TWRC_SUCCESS;
        Report(step, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, rc, detail,
               done || going ? "" : "expected TWRC_SUCCESS or TWRC_XFERDONE");
        if (!going) return;
    }
    fprintf(m_out, "memxfer: no TWRC_XFERDONE after %d strips   MISMATCH (line %d)\n", kMaxStrips, step.line);
    fflush(m_out);
    ++m_nMismatches;
}

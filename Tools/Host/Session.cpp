#include "Session.h"

#include "CDSMInterface.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "FileText.h"
#include "ManagerSide.h"
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

// A word as the script wrote it, for the complaints.
std::string Quoted(const Token& token) {
    return token.quoted ? "'\"" + ShownText(token.text) + "\"'" : "'" + ShownText(token.text) + "'";
}

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
                std::string_view rest = line.substr(i);
                while (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
                problem = "'" + ShownText(rest) + "': a quoted text is not closed";
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

// A TW_FIX32 counts in steps of 1/65536: 16 binary places, which a decimal needs at
// most 16 places to write.
constexpr int kFix32Places = 16;

// The value of a TW_FIX32 as the 32-bit count of 1/65536 steps, written as an exact
// decimal (the count over 65536 is exact in a double).
std::string ExactDecimal(int64_t steps) {
    char text[64];
    snprintf(text, sizeof(text), "%.*f", kFix32Places, static_cast<double>(steps) / 65536.0);
    std::string decimal = text;
    while (decimal.back() == '0') decimal.pop_back();
    if (decimal.back() == '.') decimal.pop_back();
    return decimal;
}

// A decimal ("150", "-0.5", "8.5") that a TW_FIX32 holds exactly; with a leading
// "~", the nearest TW_FIX32 to it (what a trace's three decimals stand for).
bool ParseFix32(const Token& token, TW_FIX32& out, std::string& problem) {
    std::string_view text = token.text;
    const bool nearest = !token.quoted && !text.empty() && text[0] == '~';
    if (nearest) text.remove_prefix(1);
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    const size_t point = text.find('.');
    std::string_view whole = text.substr(0, point);
    std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    auto digitsOnly = [](std::string_view digits) {
        return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (token.quoted || whole.empty() || !digitsOnly(whole) || !digitsOnly(fraction) ||
        (point != std::string_view::npos && fraction.empty())) {
        problem = Quoted(token) + " is not a TWTY_FIX32 number (a decimal such as 150 or -0.5)";
        return false;
    }
    while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
    while (whole.size() > 1 && whole.front() == '0') whole.remove_prefix(1);

    // More places than 16 (trailing zeros aside) are never a whole number of steps.
    bool exact = fraction.size() <= kFix32Places;
    int64_t steps = 0;
    if (whole.size() <= 5) {
        if (nearest) {
            steps = std::llround(strtod(std::string(text).c_str(), nullptr) * 65536.0);
        } else if (exact) {
            // digits / 10^k is a whole number of steps when 5^k divides the digits;
            // the steps are then (digits / 5^k) * 2^(16 - k).
            int64_t digits = 0, fives = 1;
            for (char c : fraction) {
                digits = digits * 10 + (c - '0');
                fives *= 5;
            }
            exact = digits % fives == 0;
            for (char c : whole) steps = steps * 10 + (c - '0');
            steps = steps * 65536 + ((digits / fives) << (kFix32Places - fraction.size()));
        }
        if (negative) steps = -steps;
    }
    if (whole.size() > 5 || steps < INT32_MIN || steps > INT32_MAX) {
        problem = Quoted(token) + " is outside what a TWTY_FIX32 holds (-32768 to 32767.99998)";
        return false;
    }
    if (!nearest && !exact) {
        const double value = strtod(std::string(token.text).c_str(), nullptr);
        problem = Quoted(token) + " is no TWTY_FIX32 exactly (steps of 1/65536); the nearest is " +
                  ExactDecimal(std::llround(value * 65536.0)) + ", which ~" + ShownText(token.text) + " gives";
        return false;
    }
    out.Whole = static_cast<TW_INT16>(steps >> 16);
    out.Frac = static_cast<TW_UINT16>(steps & 0xffff);
    return true;
}

// One item from tokens[pos...] into out (info.size bytes).
bool EncodeItem(const ItemTypeInfo& info, const std::vector<Token>& tokens, size_t pos, unsigned char* out,
                std::string& problem) {
    const Token& token = tokens[pos];
    if (IsText(info.type)) {
        if (token.text.size() >= info.size) {
            problem = Quoted(token) + " is longer than its type holds";
            return false;
        }
        memcpy(out, token.text.c_str(), token.text.size() + 1);
        return true;
    }
    if (info.type == TWTY_FIX32 || info.type == TWTY_FRAME) {
        for (int i = 0; i < TokensPerItem(info.type); ++i) {
            TW_FIX32 value;
            if (!ParseFix32(tokens[pos + i], value, problem)) return false;
            memcpy(out + i * sizeof(TW_FIX32), &value, sizeof(value));
        }
        return true;
    }
    int64_t value = 0;
    if (token.quoted || !ParseNamedNumber(kValueNames, token.text, value) || value < info.min || value > info.max) {
        problem = Quoted(token) + " is no value of its item type";
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

// The words after DG DAT MSG and before "->"; `before` is the word in front of
// them (the MSG), named when one is missing.
struct Arguments {
    std::vector<Token> words;
    const Token& before;

    size_t size() const { return words.size(); }
    bool empty() const { return words.empty(); }
    const Token& operator[](size_t i) const { return words[i]; }
    // The last word given, for a complaint that something is missing after it.
    const Token& Last() const { return words.empty() ? before : words.back(); }
};

template <typename T>
void StoreData(SessionStep& step, const T& value) {
    step.data.resize(std::max(step.data.size(), sizeof(T)));
    memcpy(step.data.data(), &value, sizeof(T));
}

template <typename T>
void StoreAt(std::vector<unsigned char>& bytes, size_t offset, const T& value) {
    memcpy(bytes.data() + offset, &value, sizeof(T));
}

// "'8.5': what is wrong", naming the first word too many, or the last one given
// when a word is missing.
std::string CountProblem(const Arguments& args, size_t wanted, const std::string& what) {
    return (args.size() > wanted ? Quoted(args[wanted]) + " is one word too many: " : "after " +
                                   Quoted(args.Last()) + " a word is missing: ") + what;
}

// CAP [ONEVALUE|ARRAY|ENUMERATION|RANGE TWTY_x values...]
bool ParseCapabilityArguments(const Arguments& args, SessionStep& step, std::string& problem) {
    int64_t value = 0;
    if (args.empty()) {
        problem = "after " + Quoted(args.before) + " a word is missing: DAT_CAPABILITY needs a capability";
        return false;
    }
    if (!ParseNamedNumber(kCapabilityNames, args[0].text, value) || value < 0 || value > 0xffff) {
        problem = Quoted(args[0]) + " is no capability";
        return false;
    }
    TW_CAPABILITY cap{};
    cap.Cap = static_cast<TW_UINT16>(value);
    cap.ConType = TWON_DONTCARE16;
    if (args.size() == 1) {
        StoreData(step, cap);
        return true;
    }

    const Token& container = args[1];
    const ItemTypeInfo* info = nullptr;
    if (args.size() < 3) {
        problem = "after " + Quoted(container) + " a word is missing: a container needs an item type";
        return false;
    }
    if (!ParseNamedNumber(kItemTypeNames, args[2].text, value) || !(info = FindItemType(static_cast<TW_UINT16>(value)))) {
        problem = Quoted(args[2]) + " is no item type";
        return false;
    }
    const size_t first = 3;
    const size_t count = args.size() - first;
    const size_t per = static_cast<size_t>(TokensPerItem(info->type));
    std::vector<unsigned char>& bytes = step.container;

    if (container.text == "ONEVALUE") {
        if (count != per) {
            problem = CountProblem(args, first + per, "ONEVALUE takes one value");
            return false;
        }
        cap.ConType = TWON_ONEVALUE;
        bytes.assign(std::max(sizeof(TW_ONEVALUE), offsetof(TW_ONEVALUE, Item) + info->size), 0);
        StoreAt(bytes, offsetof(TW_ONEVALUE, ItemType), info->type);
        if (!EncodeItem(*info, args.words, first, bytes.data() + offsetof(TW_ONEVALUE, Item), problem)) return false;
    } else if (container.text == "ARRAY") {
        if (count % per != 0) {
            problem = "after " + Quoted(args.Last()) + " ARRAY values do not make whole items";
            return false;
        }
        size_t items = count / per;
        cap.ConType = TWON_ARRAY;
        bytes.assign(std::max(sizeof(TW_ARRAY), offsetof(TW_ARRAY, ItemList) + items * info->size), 0);
        StoreAt(bytes, offsetof(TW_ARRAY, ItemType), info->type);
        StoreAt(bytes, offsetof(TW_ARRAY, NumItems), static_cast<TW_UINT32>(items));
        for (size_t i = 0; i < items; ++i)
            if (!EncodeItem(*info, args.words, first + i * per,
                            bytes.data() + offsetof(TW_ARRAY, ItemList) + i * info->size, problem))
                return false;
    } else if (container.text == "ENUMERATION") {
        const std::string form = "ENUMERATION takes the current index, the default index, then the values";
        if (count < 2 || (count - 2) % per != 0) {
            problem = "after " + Quoted(args.Last()) + ": " + form;
            return false;
        }
        int64_t indexes[2] = {};
        for (size_t i = 0; i < 2; ++i) {
            if (!ParseNumber(args[first + i].text, indexes[i]) || indexes[i] < 0 || indexes[i] > UINT32_MAX) {
                problem = Quoted(args[first + i]) + " is no index: " + form;
                return false;
            }
        }
        size_t items = (count - 2) / per;
        cap.ConType = TWON_ENUMERATION;
        bytes.assign(std::max(sizeof(TW_ENUMERATION), offsetof(TW_ENUMERATION, ItemList) + items * info->size), 0);
        StoreAt(bytes, offsetof(TW_ENUMERATION, ItemType), info->type);
        StoreAt(bytes, offsetof(TW_ENUMERATION, NumItems), static_cast<TW_UINT32>(items));
        StoreAt(bytes, offsetof(TW_ENUMERATION, CurrentIndex), static_cast<TW_UINT32>(indexes[0]));
        StoreAt(bytes, offsetof(TW_ENUMERATION, DefaultIndex), static_cast<TW_UINT32>(indexes[1]));
        for (size_t i = 0; i < items; ++i)
            if (!EncodeItem(*info, args.words, first + 2 + i * per,
                            bytes.data() + offsetof(TW_ENUMERATION, ItemList) + i * info->size, problem))
                return false;
    } else if (container.text == "RANGE") {
        const std::string form = "RANGE takes a number type and five values: min max step default current";
        if (per != 1 || IsText(info->type)) {
            problem = Quoted(args[2]) + " is no number type: " + form;
            return false;
        }
        if (count != 5) {
            problem = CountProblem(args, first + 5, form);
            return false;
        }
        TW_RANGE range{};
        range.ItemType = info->type;
        TW_UINT32* slots[] = {&range.MinValue, &range.MaxValue, &range.StepSize, &range.DefaultValue,
                              &range.CurrentValue};
        for (size_t i = 0; i < 5; ++i)
            if (!EncodeRangeValue(*info, args.words, first + i, *slots[i], problem)) return false;
        cap.ConType = TWON_RANGE;
        bytes.assign(sizeof(TW_RANGE), 0);
        StoreAt(bytes, 0, range);
    } else {
        problem = Quoted(container) + " is no container (ONEVALUE, ARRAY, ENUMERATION or RANGE)";
        return false;
    }
    StoreData(step, cap);
    return true;
}

// Up to `limit` numbers from the list of names given.
bool ParseNumbers(const Arguments& args, size_t limit, const NameTables& names, std::vector<int64_t>& numbers,
                  std::string& problem, const char* what = "a number") {
    if (args.size() > limit) {
        problem = Quoted(args[limit]) + " is one argument too many";
        return false;
    }
    for (const Token& token : args.words) {
        int64_t value = 0;
        if (token.quoted || !ParseNamedNumber(names, token.text, value)) {
            problem = Quoted(token) + " is not " + what;
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
        problem = CountProblem(args, 4, "a layout takes Left Top Right Bottom");
        return false;
    }
    TW_IMAGELAYOUT layout{};
    TW_FIX32* edges[] = {&layout.Frame.Left, &layout.Frame.Top, &layout.Frame.Right, &layout.Frame.Bottom};
    for (size_t i = 0; i < 4; ++i)
        if (!ParseFix32(args[i], *edges[i], problem)) return false;
    StoreData(step, layout);
    return true;
}

// The InfoIDs asked for, as TWEI_ names or numbers.
bool ParseExtImageInfoArguments(const Arguments& args, SessionStep& step, std::string& problem) {
    std::vector<int64_t> ids;
    if (!ParseNumbers(args, (kDataBlockSize - offsetof(TW_EXTIMAGEINFO, Info)) / sizeof(TW_INFO), kInfoIdNames, ids,
                      problem, "an InfoID (a TWEI_ name or a number)"))
        return false;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (ids[i] < 0 || ids[i] > 0xffff) {
            problem = Quoted(args[i]) + " is no InfoID (16 bits)";
            return false;
        }
    }
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
        problem = Quoted(args[0]) + ": a response curve has 1 to 256 entries";
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

bool ParseArguments(const Arguments& args, const Token& dat, SessionStep& step, std::string& problem) {
    for (const ArgumentRule& rule : kArgumentRules)
        if (rule.dat == step.DAT) return rule.parse(args, step, problem);
    if (args.empty()) return true;
    problem = Quoted(args[0]) + ": " + dat.text + " takes no arguments";
    return false;
}

// "any" | TWRC_x [TWCC_x for DAT_STATUS], after the arrow. Whether a condition
// code may follow is left open when the DAT is unknown (a complaint already).
bool ParseExpectation(const std::vector<Token>& words, const Token& arrow, bool datKnown, SessionStep& step,
                      std::string& problem) {
    Expectation& expect = step.expect;
    if (words.empty()) {
        problem = "after " + Quoted(arrow) + " a word is missing: a return code, or any";
        return false;
    }
    if (words.size() == 1 && words[0].text == "any") {
        expect.kind = Expectation::Kind::Any;
        return true;
    }
    int64_t value = 0;
    if (words[0].quoted || !ParseNamedNumber(kReturnCodeNames, words[0].text, value) || value < 0 || value > 0xffff) {
        problem = Quoted(words[0]) + " is no return code (after -> comes a return code, or any)";
        return false;
    }
    expect.kind = Expectation::Kind::Exact;
    expect.rc = static_cast<TW_UINT16>(value);
    if (words.size() == 1) return true;
    if (datKnown && step.DAT != DAT_STATUS) {
        problem = Quoted(words[1]) + ": a condition code is expected of DAT_STATUS only";
        return false;
    }
    if (words[1].quoted || !ParseNamedNumber(kConditionCodeNames, words[1].text, value) || value < 0 ||
        value > 0xffff) {
        problem = Quoted(words[1]) + " is no condition code";
        return false;
    }
    if (words.size() > 2) {
        problem = Quoted(words[2]) + " is one word too many: after the condition code comes nothing";
        return false;
    }
    expect.checkCondition = true;
    expect.condition = static_cast<TW_UINT16>(value);
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

bool SameLetters(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return tolower(static_cast<unsigned char>(x)) == tolower(static_cast<unsigned char>(y));
           });
}

// Every problem of the line; none means the step is complete.
void ParseLine(const std::vector<Token>& tokens, SessionStep& step, std::vector<std::string>& problems) {
    for (const Directive& directive : kDirectives) {
        if (tokens[0].text != directive.word) continue;
        if (tokens.size() != 1) problems.push_back(Quoted(tokens[1]) + ": " + directive.word + " takes nothing more");
        step.kind = directive.kind;
        return;
    }
    // "8->TWRC_SUCCESS" is one word to the reader of the line, and not to us.
    for (const Token& token : tokens) {
        if (!token.quoted && token.text != "->" && token.text.find("->") != std::string::npos) {
            problems.push_back(Quoted(token) + ": write -> apart, with blanks around it");
            return;
        }
    }
    if (tokens.size() < 3) {
        for (const Directive& directive : kDirectives) {
            if (SameLetters(tokens[0].text, directive.word)) {
                problems.push_back(Quoted(tokens[0]) + " is no directive: directives are written in lower case (" +
                                   directive.word + ")");
                return;
            }
        }
        problems.push_back(tokens.size() == 1 ? Quoted(tokens[0]) +
                                                    " is no directive (waitxferready, memxfer) and no triplet "
                                                    "(DG DAT MSG)"
                                              : "after " + Quoted(tokens[1]) +
                                                    " a word is missing: a triplet is DG DAT MSG");
        return;
    }

    struct Part {
        const NameTables& names;
        int64_t max;
        const char* what;
        int64_t value;
    } parts[] = {{kDgNames, UINT32_MAX, "DG", 0}, {kDatNames, 0xffff, "DAT", 0}, {kMsgNames, 0xffff, "MSG", 0}};
    bool known[3] = {true, true, true};
    for (size_t i = 0; i < 3; ++i) {
        Part& part = parts[i];
        if (tokens[i].quoted || !ParseNamedNumber(part.names, tokens[i].text, part.value) || part.value < 0 ||
            part.value > part.max) {
            problems.push_back(Quoted(tokens[i]) + " is no " + part.what);
            known[i] = false;
        }
    }
    step.DG = static_cast<TW_UINT32>(parts[0].value);
    step.DAT = static_cast<TW_UINT16>(parts[1].value);
    step.MSG = static_cast<TW_UINT16>(parts[2].value);

    auto isArrow = [](const Token& t) { return !t.quoted && t.text == "->"; };
    auto arrow = std::find_if(tokens.begin() + 3, tokens.end(), isArrow);
    std::string problem;
    // The arguments depend on the DAT; the expectation (but for a condition code) does not.
    if (known[0] && known[1] && known[2] &&
        !ParseArguments(Arguments{{tokens.begin() + 3, arrow}, tokens[2]}, tokens[1], step, problem))
        problems.push_back(problem);
    if (arrow != tokens.end() && !ParseExpectation({arrow + 1, tokens.end()}, *arrow, known[1], step, problem))
        problems.push_back(problem);
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
    if (answered && answered != sent) CDSMInterface::FreeMemory(answered);
}

}  // namespace

bool ParseSessionScript(std::string_view text, std::vector<SessionStep>& steps, std::string& error) {
    steps.clear();
    error.clear();
    text.remove_prefix(ByteOrderMarkLength(text));
    int lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;

        std::vector<Token> tokens;
        std::vector<std::string> problems(1);
        if (SplitLine(line, tokens, problems[0])) problems.clear();
        SessionStep step;
        step.line = lineNumber;
        if (problems.empty() && !tokens.empty()) ParseLine(tokens, step, problems);
        for (const std::string& problem : problems)
            error += (error.empty() ? "" : "\n") + ("line " + std::to_string(lineNumber) + ": " + problem);
        if (problems.empty() && !tokens.empty()) steps.push_back(std::move(step));
    }
    return error.empty();
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
      m_nMismatches(0),
      m_bAskStatus(false),
      m_pNextStep(nullptr) {
    // As a manager would have registered it at MSG_OPENDSM.
    m_application.Id = TwIdentityIdOf(1);
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
    PrintSourceMessagesTo(out);
}

int CHostSession::Run(const std::vector<SessionStep>& steps) {
    for (size_t i = 0; i < steps.size(); ++i) {
        const SessionStep& step = steps[i];
        m_pNextStep = i + 1 < steps.size() ? &steps[i + 1] : nullptr;
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
    // Value-initialised elements may keep their padding (a long double's six bytes)
    // from an earlier block: heap leftovers must not reach the source.
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
                sentContainer = CDSMInterface::AllocMemory(static_cast<unsigned int>(step.container.size()));
                if (sentContainer) {
                    memcpy(CDSMInterface::LockMemory(sentContainer), step.container.data(), step.container.size());
                    CDSMInterface::UnlockMemory(sentContainer);
                }
                BlockAs<TW_CAPABILITY>(block)->hContainer = sentContainer;
            }
            break;
        case DAT_EVENT: BlockAs<TW_EVENT>(block)->pEvent = m_eventRecord; break;
        // As the manager: the source gets twhost's entry points, and the
        // application's callback is registered.
        case DAT_ENTRYPOINT: pData = HostEntryPoint(); break;
        case DAT_CALLBACK: *BlockAs<TW_CALLBACK>(block) = HostCallback(); break;
        case DAT_CALLBACK2: BlockAs<TW_CALLBACK2>(block)->CallBackProc = HostCallback().CallBackProc; break;
        case DAT_METRICS: BlockAs<TW_METRICS>(block)->SizeOf = sizeof(TW_METRICS); break;
        // The text of the condition the source last reported.
        case DAT_STATUSUTF8: BlockAs<TW_STATUSUTF8>(block)->Status.ConditionCode = m_reportedCondition; break;
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
    // Only what the source says once enabled counts, from inside the call on.
    if (MSG == MSG_ENABLEDS) TakeSourceMessage(MSG_XFERREADY);
    TW_UINT16 rc = m_entry(&m_application, DG, DAT, MSG, pData);

    switch (DAT) {
        case DAT_IDENTITY:
            if (MSG == MSG_GET && rc == TWRC_SUCCESS) memcpy(&m_source, block, sizeof(m_source));
            break;
        case DAT_CAPABILITY:
            DisposeAnswered(BlockAs<TW_CAPABILITY>(block)->hContainer, sentContainer);
            if (sentContainer) CDSMInterface::FreeMemory(sentContainer);
            break;
        case DAT_STATUS:
            m_lastCondition = BlockAs<TW_STATUS>(block)->ConditionCode;
            if (rc == TWRC_SUCCESS) m_reportedCondition = m_lastCondition;
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
                if (size > 0) m_nStripSize = std::min(size, kMaxStripSize);
                detail = "Preferred " + std::to_string(setup->Preferred);
            }
            break;
        case DAT_IMAGEMEMXFER:
            if (rc == TWRC_SUCCESS || rc == TWRC_XFERDONE)
                detail = "BytesWritten " + std::to_string(BlockAs<TW_IMAGEMEMXFER>(block)->BytesWritten);
            break;
        case DAT_IMAGENATIVEXFER: DisposeAnswered(*BlockAs<TW_HANDLE>(block), nullptr); break;
        case DAT_CUSTOMDSDATA: DisposeAnswered(BlockAs<TW_CUSTOMDSDATA>(block)->hData, nullptr); break;
        case DAT_STATUSUTF8: DisposeAnswered(BlockAs<TW_STATUSUTF8>(block)->UTF8string, nullptr); break;
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
    if (m_bAskStatus && rc == TWRC_FAILURE && DAT != DAT_STATUS &&
        !(m_pNextStep && m_pNextStep->kind == SessionStep::Kind::Triplet && m_pNextStep->DAT == DAT_STATUS)) {
        SessionStep status;
        std::string condition;
        TW_UINT16 statusRc = Send(status, DG_CONTROL, DAT_STATUS, MSG_GET, condition);
        line += " [DAT_STATUS: " + (statusRc == TWRC_SUCCESS ? condition : ReturnCodeName(statusRc)) + "]";
    }
    if (!complaint.empty()) {
        line += "   MISMATCH: " + complaint + " (line " + std::to_string(step.line) + ")";
        ++m_nMismatches;
    }
    fprintf(m_out, "%s\n", line.c_str());
    fflush(m_out);
}

void CHostSession::WaitXferReady(const SessionStep& step) {
    for (int poll = 0; poll < kMaxEventPolls; ++poll) {
        // A TWAIN 2 source says it through the manager, perhaps inside MSG_ENABLEDS
        // already; events still pass to it meanwhile, as an application's loop does.
        if (TakeSourceMessage(MSG_XFERREADY)) return;
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

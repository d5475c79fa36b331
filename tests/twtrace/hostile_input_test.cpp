// What a tired engineer gives the tools: a file with terminal escape sequences,
// an executable, a compressed trace, UTF-16, a 50 MB word, a trace with a
// byte-order mark. Each tool answers with one short message, and nothing it
// writes holds a raw control byte from the file.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "FileText.h"
#include "TraceText.h"

namespace {

namespace fs = std::filesystem;

const std::string kEscapes = "\x1b]0;owned\x07\x1b[2J";

struct ToolRun {
    int status;
    std::string out;  // standard output and error together
};

ToolRun RunTool(const std::string& command, const fs::path& scratch) {
    const fs::path out = scratch / "out";
    int status = std::system((command + " >" + out.string() + " 2>&1").c_str());
    std::ifstream file(out, std::ios::binary);
    return {WEXITSTATUS(status), std::string(std::istreambuf_iterator<char>(file), {})};
}

// The first byte that a terminal would take as a command, or -1.
long RawControlAt(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if ((byte < 0x20 && byte != '\n') || byte == 0x7F) return static_cast<long>(i);
    }
    return -1;
}

// UTF-8 stays; control characters (C1 ones too) and bytes that are no UTF-8 are
// escaped; a cut never splits a character. The quick test misses no byte to escape.
TEST(HostileInput, ShownTextEscapesWhatATerminalWouldObey) {
    const struct {
        std::string text;
        size_t maxBytes;
        std::string shown;
    } cases[] = {
        {"plain words, long enough for the eight-byte test", 100, "plain words, long enough for the eight-byte test"},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", 100, "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
        {"\r\n\t\x1b[2J\x7f", 100, "\\r\\n\\t\\x1b[2J\\x7f"},
        {"12345678\x9b" "1m", 100, "12345678\\x9b1m"},                         // a lone 8-bit CSI
        {"\xC2\x9B" "1m", 100, "\\xc2\\x9b1m"},                               // CSI as a C1 character
        {"\xE0\x80\x80 \xED\xA0\x80", 100, "\\xe0\\x80\\x80 \\xed\\xa0\\x80"},  // overlong, surrogate
        {"abc\xE2\x82\xAC", 5, "abc... (6 bytes)"},
        {"abcdef", 6, "abcdef"},
        {"abcdefg", 6, "abcdef... (7 bytes)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShownText(c.text, c.maxBytes), c.shown) << c.text;
        EXPECT_TRUE(NeedsEscapes(c.text) || ShownText(c.text, SIZE_MAX) == c.text) << c.text;
    }
    const struct {
        std::string head, kind;
    } files[] = {
        {"[00001] [APP] DG_CONTROL/DAT_IDENTITY/MSG_GET\r\n\x1b[2J\r\n", ""},
        {"MZ is how a line may start\n", ""},
        {std::string("MZ\x90\0\3\0", 6), "a Windows executable"},
        {"\xEF\xBB\xBF[00001] [APP]", ""},
        {"\xFF\xFE[\0", "UTF-16 text (little-endian)"},
        {std::string("\0[\0" "0\0" "0\0" "0", 8), "UTF-16 text"},
        {std::string("text\0more text", 14), "binary data (a NUL byte at offset 4)"},
        {"\x01\x02\x03\x04\x05\x06\x07\x08" "abcdefgh", "binary data (8 control bytes in its first 16)"},
    };
    for (const auto& f : files) EXPECT_EQ(NotTextKind(f.head), f.kind) << f.head;
}

TEST(HostileInput, EachToolRefusesOrEscapesAndStaysShort) {
    const fs::path scratch = fs::path(TWTRACE_SCRATCH_DIR) / "hostile";
    fs::create_directories(scratch);
    auto write = [&](const char* name, const std::string& text) {
        std::ofstream(scratch / name, std::ios::binary) << text;
        return (scratch / name).string();
    };
    const std::string escapes =
        write("escapes.txt", kEscapes + "\r\n" +
                                 Record(1, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS" + kEscapes, "TWRC_SUCCESS", 4) +
                                 Record(2, "DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_XRESOLUTION)", "TWRC_SUCCESS", 4,
                                        "  TW_CAPABILITY = {\n    Cap = [" + kEscapes + "]\n  }\n"));
    const std::string script = write("escapes.script", "DG_CONTROL " + kEscapes + " MSG_GET\n\"" + kEscapes + "\n");
    const std::string gzip = write("trace.txt.gz", std::string("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03", 10));
    const std::string utf16 = write("utf16.txt", std::string("[\0000\0000\0000\0000\0001\000]\000", 14));
    const std::string word = write("word.txt", std::string(50 << 20, 'A') + kEscapes);
    const std::string bom = write("bom.txt", "\xEF\xBB\xBF" + Record(1, "DG_CONTROL/DAT_IDENTITY/MSG_GET", "TWRC_SUCCESS", 3));
    const std::string bomScript = write("bom.script", "\xEF\xBB\xBF" "DG_CONTROL DAT_IDENTITY MSG_GET\n");
    const std::string twtrace = TWTRACE_PATH, twhost = TWHOST_PATH;
    const std::string cut = std::string(kQuotedBytes, 'A') + "... (52428814 bytes)";
    const struct {
        std::string command;
        int status;
        std::string start;  // the output's exact start
    } cases[] = {
        {twtrace + " summary " + escapes, 0, "Data source: its identity is not in the trace\n"},
        {twtrace + " check " + escapes, 1,
         "lines 1-1: damaged: line 1: not a trace record: \\x1b]0;owned\\x07\\x1b[2J\n"},
        {twtrace + " script " + escapes, 0, "# A twhost session script"},
        {twtrace + " json " + escapes, 0, "{\"kind\":\"unreadable\""},
        {twtrace + " diff " + escapes + " " + escapes, 0, ""},
        {twtrace + " summary " + twtrace, 2, "twtrace: " + twtrace + ": not a trace: it looks like an ELF executable\n"},
        {twtrace + " check " + gzip, 2, "twtrace: " + gzip + ": not a trace: it looks like a gzip-compressed file\n"},
        {twtrace + " diff " + bom + " " + utf16, 2, "twtrace: " + utf16 + ": not a trace: it looks like UTF-16 text\n"},
        // The reader keeps the first 16384 bytes of a line.
        {twtrace + " check " + word, 2,
         "lines 1-1: damaged: line 1: not a trace record: " + std::string(kQuotedBytes, 'A') + "... (16384 bytes)\n"
         "twtrace: not a trace: no record found\n"},
        {twtrace + " summary " + bom, 0, "Data source: its identity is not in the trace\nApplication:"},
        {"cat " + bom + " | " + twtrace + " summary /dev/stdin", 0, "Data source: its identity is not in the trace\n"},
        {twhost + " none.ds " + script, 2,
         "twhost: " + script + ": line 1: '\\x1b]0;owned\\x07\\x1b[2J' is no DAT\n"
         "twhost: " + script + ": line 2: '\"\\x1b]0;owned\\x07\\x1b[2J': a quoted text is not closed\n"},
        {twhost + " none.ds " + twhost, 2, "twhost: " + twhost + ": not a session script: it looks like an ELF executable\n"},
        {twhost + " none.ds " + word, 2, "twhost: " + word + ": line 1: '" + cut + "' is no directive"},
        {twhost + " none.ds " + bomScript, 2, "twhost: cannot load ./none.ds: "},
    };
    for (const auto& c : cases) {
        ToolRun run = RunTool(c.command, scratch);
        EXPECT_EQ(run.status, c.status) << c.command;
        EXPECT_EQ(run.out.substr(0, c.start.size()), c.start) << c.command;
        EXPECT_EQ(RawControlAt(run.out), -1) << c.command << "\n" << run.out;
        EXPECT_LT(run.out.size(), 16384u) << c.command;
        EXPECT_LE(std::count(run.out.begin(), run.out.end(), '\n'), 21) << c.command;
    }
    // A long trace given as a script: twenty problems named, the rest counted.
    std::string trace;
    for (int i = 1; i <= 20; ++i) trace += Record(i, "DG_CONTROL/DAT_IDENTITY/MSG_GET", "TWRC_SUCCESS", 3);
    const std::string traceAsScript = write("trace-as-script.txt", trace);
    ToolRun run = RunTool(twhost + " none.ds " + traceAsScript, scratch);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 21) << run.out;
    EXPECT_EQ(run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1),
              "twhost: " + traceAsScript + ": and 220 more problems\n");
    fs::remove_all(scratch);
}

}  // namespace

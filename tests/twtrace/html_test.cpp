// twtrace html: escaping for each place a text lands, the page's facts on a trace
// with known faults (exact markup), damage shown, bad input refused with no page
// and no temporary file left. What the browser does with the page is
// tests/html's part.
#include "Html.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

#include "JsonText.h"
#include "TraceText.h"

namespace {

namespace fs = std::filesystem;

// The markup of the element with that id, from its start tag to the first end tag
// after it (a polyline closes itself).
std::string Element(const std::string& page, const std::string& tag, const std::string& id) {
    size_t start = page.find("<" + tag + " id=\"" + id + "\"");
    if (start == std::string::npos) return "(no " + tag + " #" + id + ")";
    std::string close = tag == "polyline" ? "/>" : "</" + tag + ">";
    size_t end = page.find(close, start);
    return page.substr(start, end == std::string::npos ? std::string::npos : end + close.size() - start);
}

std::string FirstLine(const fs::path& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

std::string PageOf(const std::string& trace, int expectedStatus = kExitClean) {
    CTraceReader reader(trace);
    std::ostringstream out;
    ReadProblem problem;
    EXPECT_EQ(RunHtml(reader, "trace.txt", out, problem), expectedStatus) << problem.text;
    return out.str();
}

TEST(HtmlEscaping, EachTextIsEscapedForWhereItLands) {
    struct Case {
        std::string text, html, script;
    } cases[] = {
        {"plain TWRC_SUCCESS", "plain TWRC_SUCCESS", R"j("plain TWRC_SUCCESS")j"},
        {"</script><img src=x onerror=\"a('1')\">&amp;",
         "&lt;/script&gt;&lt;img src=x onerror=&quot;a(&#39;1&#39;)&quot;&gt;&amp;amp;",
         R"j("\u003c/script\u003e\u003cimg src=x onerror=\"a('1')\"\u003e\u0026amp;")j"},
        {"<!--<script>", "&lt;!--&lt;script&gt;", R"j("\u003c!--\u003cscript\u003e")j"},
        {"javascript:alert(1)", "javascript:alert(1)", R"j("javascript:alert(1)")j"},
        {std::string("nul\0tab\tesc\x1b del\x7f", 17), "nul\\x00tab\\x09esc\\x1B del\\x7F",
         R"j("nul\u0000tab\tesc\u001b del\u007f")j"},
        {"caf\xc3\xa9 \xe2\x82\xac", "caf\xc3\xa9 \xe2\x82\xac", "\"caf\xc3\xa9 \xe2\x82\xac\""},
        // Not UTF-8: a lone byte, an overlong slash, a sequence cut short, a surrogate.
        {"\xff \xc0\xaf \xe2\x82 \xed\xa0\x80", "\\xFF \\xC0\\xAF \\xE2\\x82 \\xED\\xA0\\x80",
         R"j("\u00ff \u00c0\u00af \u00e2\u0082 \u00ed\u00a0\u0080")j"},
    };
    for (const Case& c : cases) {
        std::string html, script;
        AppendHtmlText(html, c.text);
        AppendJsonString(script, c.text, true);
        EXPECT_EQ(html, c.html) << c.text;
        EXPECT_EQ(script, c.script) << c.text;
    }
}

const std::string kFailedSet = Record(1, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", "TWRC_SUCCESS", 4) +
                               Record(2, "DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_PIXELTYPE)", "TWRC_FAILURE", 4) +
                               Record(3, "DG_CONTROL/DAT_STATUS/MSG_GET", "TWRC_SUCCESS", 4,
                                      "  TW_STATUS = {\n    ConditionCode = [TWCC_BADVALUE]\n  }\n") +
                               Record(4, "DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS", "TWRC_SUCCESS", 5) +
                               Record(5, "DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS", "TWRC_FAILURE", 5) +
                               Record(6, "DG_CONTROL/DAT_USERINTERFACE/MSG_DISABLEDS", "TWRC_SUCCESS", 4) +
                               Crlf("[00007] [APP] DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS\n");

// The facts at the head of the page, each linked to its record by the record's place.
TEST(HtmlPage, ShowsFailuresFindingsAndStatesLinkedToTheirRecords) {
    std::string page = PageOf(kFailedSet);
    EXPECT_EQ(Element(page, "section", "failures"),
              "<section id=\"failures\"><h2>Failures</h2>\n<ol>\n"
              "<li><a href=\"#r1\">00002 DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_PIXELTYPE)</a> -&gt; TWRC_FAILURE: "
              "<span class=\"condition\">TWCC_BADVALUE</span> (<a href=\"#r2\">00003</a>)</li>\n"
              "<li><a href=\"#r4\">00005 DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS</a> -&gt; TWRC_FAILURE: "
              "<span class=\"condition\">status never asked</span></li>\n</ol>\n</section>");
    EXPECT_EQ(Element(page, "section", "findings"),
              "<section id=\"findings\"><h2>Protocol findings</h2>\n<ol>\n"
              "<li><a href=\"#r4\">00005 DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS</a>: <span class=\"rule\">state</span>: "
              "<span class=\"side\">application</span>: sent in state 5<div class=\"reason\">rule: a source is closed "
              "in state 4: it is disabled first (MSG_DISABLEDS)</div></li>\n"
              "<li><a href=\"#r4\">00005 DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS</a>: <span class=\"rule\">status never "
              "asked</span>: <span class=\"side\">application</span>: the condition code of the failure<div "
              "class=\"reason\">rule: after TWRC_FAILURE the application asks DAT_STATUS for the condition code"
              "</div></li>\n"
              "<li><a href=\"#r6\">00007 DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS</a>: <span class=\"rule\">ends inside a "
              "call</span>: the session ends inside DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS (record 00007): the data source "
              "never returned (crash or hang), or the trace was cut</li>\n</ol>\n</section>");
    // 7 records from x 40 to 990: state 4 from record 0, 5 from record 3, 4 again from record 5.
    EXPECT_EQ(Element(page, "polyline", "state-line"),
              "<polyline id=\"state-line\" points=\"40,66 447,66 447,48 718,48 718,66 990,66\"/>");
    EXPECT_NE(page.find("<td id=\"failure-count\">2</td>"), std::string::npos);
    EXPECT_NE(page.find("<td id=\"finding-count\">3</td>"), std::string::npos);
    EXPECT_NE(page.find("<script type=\"application/json\" id=\"finding-records\">[4,6]</script>"), std::string::npos);
}

// A record's data: line, name, return code, state, flags (1 failed, 2 damaged),
// its text as the trace holds it, its damage.
TEST(HtmlPage, RecordsKeepTheirTextAndShowTheirDamage) {
    std::string page = PageOf(kFailedSet);
    EXPECT_NE(page.find("[24,\"00005 DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS\",\"TWRC_FAILURE\",0,1,\"[00005] [APP] "
                        "DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS\\n        Return Code = [TWRC_FAILURE]\\npData   = "
                        "\\u003c0x00001000\\u003e\\n*** Inspect Error Status Start ***\\n*** Inspect Error Status End"
                        "   ***\\n\",[]]"),
              std::string::npos);
    EXPECT_NE(page.find("[34,\"00007 DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS\",\"\",0,2,\"[00007] [APP] "
                        "DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS\\n\",[\"line 34: the record has no return code (the "
                        "session ended, or its call never returned)\"]]]</script>"),
              std::string::npos);
}

// Two sessions side by side: each row a record of A, of B or of both, marked by
// how they differ, what changed listed under it, where the states part.
TEST(HtmlDiffPage, MarksWhatDiffersRowByRow) {
    const std::string a = Record(1, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", "TWRC_SUCCESS", 4) +
                          Record(2, "DG_CONTROL/DAT_STATUS/MSG_GET", "TWRC_SUCCESS", 4,
                                 "  TW_STATUS = {\n    ConditionCode = [<b>]\n  }\n") +
                          Record(3, "DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS", "TWRC_SUCCESS", 5);
    const std::string b = Record(1, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", "TWRC_SUCCESS", 4) +
                          Record(2, "DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_UNITS)", "TWRC_FAILURE", 4) +
                          Record(3, "DG_CONTROL/DAT_STATUS/MSG_GET", "TWRC_SUCCESS", 4,
                                 "  TW_STATUS = {\n    ConditionCode = [TWCC_BADCAP]\n  }\n") +
                          Record(4, "DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS", "TWRC_CANCEL", 4);
    CTraceReader first(a), second(b);
    std::ostringstream out;
    ReadProblem problem;
    EXPECT_EQ(RunDiffHtml(first, second, "a.txt", "b.txt", out, problem), kExitFindings);
    std::string page = out.str();
    size_t body = page.find("<tbody>");
    EXPECT_EQ(page.substr(body, page.find("</tbody>") - body),
              "<tbody>\n"
              "<tr class=\"same\"><td>00001 DG_CONTROL/DAT_IDENTITY/MSG_OPENDS</td><td>TWRC_SUCCESS</td><td>4</td>"
              "<td>00001 DG_CONTROL/DAT_IDENTITY/MSG_OPENDS</td><td>TWRC_SUCCESS</td><td>4</td></tr>\n"
              "<tr class=\"only-b\" id=\"d0\"><td class=\"absent\" colspan=\"3\"></td><td>00002 "
              "DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_UNITS)</td><td>TWRC_FAILURE</td><td></td></tr>\n"
              "<tr class=\"changed\" id=\"d1\"><td>00002 DG_CONTROL/DAT_STATUS/MSG_GET</td><td>TWRC_SUCCESS</td>"
              "<td>4</td><td>00003 DG_CONTROL/DAT_STATUS/MSG_GET</td><td>TWRC_SUCCESS</td><td>4</td></tr>\n"
              "<tr class=\"changes\"><td colspan=\"6\"><ul><li>TW_STATUS.ConditionCode: [&lt;b&gt;] | "
              "[TWCC_BADCAP]</li></ul></td></tr>\n"
              "<tr class=\"changed parted\" id=\"d2\"><td>00003 DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS</td>"
              "<td>TWRC_SUCCESS</td><td>5</td><td>00004 DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS</td>"
              "<td>TWRC_CANCEL</td><td>4</td></tr>\n"
              "<tr class=\"changes\"><td colspan=\"6\"><ul><li>return code: TWRC_SUCCESS | TWRC_CANCEL</li>"
              "<li class=\"parted\">the states part here: 5 | 4</li></ul></td></tr>\n");
    EXPECT_NE(page.find("<p id=\"difference-count\">3 differences (A: 3 records, B: 4 records)</p>"),
              std::string::npos);
    EXPECT_NE(page.find("script-src 'none'"), std::string::npos);
}

// The command line: a page only from a readable trace, written whole or not at all.
TEST(HtmlCommandLine, WritesThePageOrNothing) {
    const fs::path scratch = fs::path(TWTRACE_SCRATCH_DIR) / "html";
    fs::remove_all(scratch);
    fs::create_directories(scratch / "dir.txt");
    std::ofstream(scratch / "trace.txt", std::ios::binary) << kFailedSet;
    std::ofstream(scratch / "empty.txt");
    std::ofstream(scratch / "text.txt") << "no trace here\n";
    std::ofstream(scratch / "page.html") << "a trace named like a page\n";
    const std::string dir = scratch.string() + "/";
    struct Case {
        std::string arguments;
        int status;
        std::string out, err;  // the first line of each
        std::string page;      // the page written, "" for none
    } cases[] = {
        {"html " + dir + "trace.txt", 0, dir + "trace.html", "", "trace.html"},
        {"html -o " + dir + "other.html " + dir + "trace.txt", 0, dir + "other.html", "", "other.html"},
        {"html " + dir + "empty.txt", 2, "", "twtrace: not a trace: no record found", ""},
        {"html " + dir + "text.txt", 2, "", "twtrace: not a trace: no record found", ""},
        {"html " + dir + "dir.txt", 2, "", "twtrace: " + dir + "dir.txt: Is a directory", ""},
        {"html " + dir + "missing.txt", 2, "", "twtrace: " + dir + "missing.txt: No such file or directory", ""},
        {"html", 2, "", "twtrace: a trace file is missing", ""},
        {"html " + dir + "trace.txt -o", 2, "", "twtrace: -o needs the page's file name", ""},
        {"html " + dir + "trace.txt " + dir + "empty.txt", 2, "",
         "twtrace: one argument too many: '" + dir + "empty.txt'", ""},
        {"html " + dir + "page.html -o " + dir + "page.html", 2, "",
         "twtrace: the page would replace the trace '" + dir + "page.html'", ""},
        {"html " + dir + "trace.txt -o " + dir + "no/such/dir.html", 2, "",
         "twtrace: " + dir + "no/such/dir.html: No such file or directory", ""},
        {"diff --html " + dir + "trace.txt " + dir + "trace.txt", 0, dir + "trace.diff.html", "", "trace.diff.html"},
        {"diff --html " + dir + "trace.txt " + dir + "text.txt", 2, "",
         "twtrace: second trace: not a trace: no record found", ""},
        {"diff --html " + dir + "trace.txt", 2, "", "twtrace: diff needs two trace files", ""},
    };
    for (const Case& c : cases) {
        for (const char* page : {"trace.html", "other.html", "empty.html", "text.html", "dir.html", "trace.diff.html"})
            fs::remove(scratch / page);
        std::string command = std::string(TWTRACE_PATH) + " " + c.arguments + " >" + dir + "out 2>" + dir + "err";
        int status = std::system(command.c_str());
        EXPECT_EQ(WEXITSTATUS(status), c.status) << c.arguments;
        EXPECT_EQ(FirstLine(scratch / "out"), c.out) << c.arguments;
        EXPECT_EQ(FirstLine(scratch / "err"), c.err) << c.arguments;
        std::vector<std::string> pages;
        for (const auto& entry : fs::directory_iterator(scratch)) {
            std::string name = entry.path().filename().string();
            if (name != "page.html" && name.find(".html") != std::string::npos) pages.push_back(name);
        }
        EXPECT_EQ(pages, c.page.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.page}) << c.arguments;
    }
}

// A run that fails after it began leaves neither the page nor its temporary file.
TEST(HtmlPageFile, AFailedWriteLeavesNothing) {
    const fs::path scratch = fs::path(TWTRACE_SCRATCH_DIR) / "page-file";
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    for (int status : {kExitClean, kExitUnreadable}) {
        const std::string path = (scratch / "page.html").string();
        ReadProblem problem;
        EXPECT_EQ(WritePageFile(path, problem,
                                [&](std::ostream& out, ReadProblem& p) {
                                    out << "<!DOCTYPE html>half";
                                    p.text = "stopped";
                                    return status;
                                }),
                  status);
        size_t files = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(scratch)) ++files;
        EXPECT_EQ(files, status == kExitClean ? 1u : 0u);
        EXPECT_EQ(fs::exists(path), status == kExitClean);
        fs::remove(path);
    }
}

}  // namespace

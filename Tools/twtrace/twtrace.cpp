// twtrace: reads a trace of the monitor back and tells a support engineer what
// went wrong, what differs between two sessions, and how to replay one.
//
//   twtrace summary|check|script|json FILE
//   twtrace diff A B
//   twtrace html FILE [-o PAGE]
//   twtrace diff --html A B [-o PAGE]
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string_view>
#include <vector>

#include "Commands.h"
#include "FileText.h"
#include "Html.h"
#include "ProjectVersion.h"
#include "TraceFile.h"

namespace {

constexpr char kUsage[] =
    "usage: twtrace <command> FILE\n"
    "  summary FILE   what matters first (who, where the session stopped), then triplets,\n"
    "                 states, failures, capabilities and transfers\n"
    "  check FILE     protocol faults, each with its record, rule and side at fault\n"
    "  script FILE    a twhost session script that replays the application's side\n"
    "  json FILE      the records as JSON lines\n"
    "  diff A B       the differences between two traces, aligned by their triplets\n"
    "  html FILE [-o PAGE]\n"
    "                 the trace as one self-contained page (default PAGE: FILE with .html)\n"
    "  diff --html A B [-o PAGE]\n"
    "                 the two sessions side by side as one page (default PAGE: A with .diff.html)\n"
    "  --help         this text;  --version  the version\n"
    "Exit status:\n"
    "  summary, script, json  0 done; 2 nothing done\n"
    "  check                  0 no fault found; 1 faults found; 2 nothing checked\n"
    "  diff                   0 the traces match; 1 differences found; 2 nothing compared\n"
    "  html, diff --html      0 page written; 2 no page written\n"
    "  (2: a wrong argument, or a file that is missing, not text or holds no record)\n";

constexpr std::string_view kCommands[] = {"summary", "check", "script", "json", "diff", "html"};

bool IsCommand(std::string_view word) {
    for (std::string_view command : kCommands)
        if (word == command) return true;
    return false;
}

int Usage(const std::string& what) {
    fprintf(stderr, "twtrace: %s\n%s", what.c_str(), kUsage);
    return kExitUnreadable;
}

std::string Quoted(const char* argument) { return "'" + ShownText(argument) + "'"; }

// A file's name whole, however long: the engineer must find the file.
std::string ShownPath(const std::string& name) { return ShownText(name, SIZE_MAX); }

// The arguments in the order they were meant, when a command was given after a file.
std::string SwappedHint(int argc, char** argv) {
    for (int i = 2; i < argc; ++i) {
        if (!IsCommand(argv[i])) continue;
        std::string hint = std::string("twtrace ") + argv[i];
        for (int j = 1; j < argc; ++j)
            if (j != i) hint += " " + ShownText(argv[j]);
        return "; did you mean: " + hint;
    }
    return "";
}

// Progress on a terminal for a long read.
void ShowProgress(CTraceReader& reader, const TraceFile& file) {
    if (!StandardErrorIsTerminal()) return;
    std::string name = ShownPath(file.name);
    uint64_t size = file.size;
    reader.OnProgress([name, size](uint64_t bytes) {
        int percent = size > 0 ? static_cast<int>(bytes * 100 / size) : 0;
        fprintf(stderr, "\r%s: %llu MB read (%d%%)\x1b[K", name.c_str(), static_cast<unsigned long long>(bytes >> 20),
                percent);
    });
}

// "trace.html" for "trace.txt" or "trace"; "x.html.html" for "x.html", never the trace itself.
std::string DefaultPage(const std::string& trace, const char* extension) {
    size_t slash = trace.rfind('/');
    size_t dot = trace.rfind('.');
    std::string stem = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1) &&
                               trace.compare(dot, std::string::npos, ".html") != 0
                           ? trace.substr(0, dot)
                           : trace;
    return stem + extension;
}

std::string FileName(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// twtrace html FILE [-o PAGE] and diff --html A B [-o PAGE]: the page goes to a
// file, its name to standard output.
int RunPageCommand(int argc, char** argv, bool diff) {
    std::vector<std::string> traces;
    std::vector<int> traceArguments;  // where each trace stands in argv
    std::string page;
    const size_t files = diff ? 2 : 1;
    for (int i = diff ? 3 : 2; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (argument == "-o") {
            if (i + 1 >= argc) return Usage("-o needs the page's file name");
            page = argv[++i];
        } else if (traces.size() < files) {
            traces.emplace_back(argument);
            traceArguments.push_back(i);
        } else {
            return Usage("one argument too many: '" + ShownPath(argv[i]) + "'");
        }
    }
    if (traces.size() < files) return Usage(diff ? "diff needs two trace files" : "a trace file is missing");
    if (page.empty()) page = DefaultPage(traces[0], diff ? ".diff.html" : ".html");
    TraceFile file[2];
    for (size_t i = 0; i < files; ++i) {
        if (!file[i].Open(argc, argv, traceArguments[i])) {
            fprintf(stderr, "twtrace: %s: %s\n", ShownPath(file[i].name).c_str(), strerror(errno));
            return kExitUnreadable;
        }
        if (file[i].IsSameFileAs(page))
            return Usage("the page would replace the trace '" + ShownPath(traces[i]) + "'");
    }
    CTraceReader first(file[0].file);
    ShowProgress(first, file[0]);
    ReadProblem problem;
    int status = WritePageFile(page, problem, [&](std::ostream& out, ReadProblem& readProblem) {
        if (!diff) return RunHtml(first, FileName(traces[0]), out, readProblem);
        CTraceReader second(file[1].file);
        ShowProgress(second, file[1]);
        return RunDiffHtml(first, second, FileName(traces[0]), FileName(traces[1]), out, readProblem);
    });
    if (StandardErrorIsTerminal()) fputs("\r\x1b[K", stderr);
    if (status == kExitUnreadable) {
        fprintf(stderr, "twtrace: %s\n", problem.text.c_str());
        return status;
    }
    printf("%s\n", page.c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    UseBinaryStandardOutput();
    for (int i = 1; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--version") {
            PrintProgramVersion("twtrace");
            return 0;
        }
    }
    if (argc < 2) return Usage("a command is missing");
    std::string_view command = argv[1];
    if (command.size() > 1 && command[0] == '-') return Usage("unknown option " + Quoted(argv[1]));
    if (command == "html" || (command == "diff" && argc > 2 && std::string_view(argv[2]) == "--html"))
        return RunPageCommand(argc, argv, command == "diff");
    if (!IsCommand(command)) return Usage("unknown command " + Quoted(argv[1]) + SwappedHint(argc, argv));
    bool diff = command == "diff";
    int files = diff ? 2 : 1;
    for (int i = 2; i < argc && i < 2 + files; ++i)
        if (argv[i][0] == '-' && argv[i][1] != '\0')
            return Usage(Quoted(argv[i]) + " is an option, not a trace file (a file named so: ./" +
                         ShownText(argv[i]) + ")");
    if (argc - 2 < files) return Usage(diff ? "diff needs two trace files" : "a trace file is missing");
    if (argc - 2 > files) return Usage("one argument too many: " + Quoted(argv[2 + files]));

    TraceFile traces[2];
    for (int i = 0; i < files; ++i) {
        if (!traces[i].Open(argc, argv, 2 + i)) {
            fprintf(stderr, "twtrace: %s: %s\n", ShownPath(traces[i].name).c_str(), strerror(errno));
            return kExitUnreadable;
        }
        std::string kind = traces[i].NotText();
        if (!kind.empty()) {
            fprintf(stderr, "twtrace: %s: not a trace: it looks like %s\n", ShownPath(traces[i].name).c_str(),
                    kind.c_str());
            return kExitUnreadable;
        }
    }
    CTraceReader first(traces[0].file);
    ShowProgress(first, traces[0]);
    ReadProblem problem;
    int status;
    if (diff) {
        CTraceReader second(traces[1].file);
        ShowProgress(second, traces[1]);
        status = RunDiff(first, second, std::cout, problem);
    } else if (command == "summary") {
        status = RunSummary(first, std::cout, problem);
    } else if (command == "check") {
        status = RunCheck(first, std::cout, problem);
    } else if (command == "script") {
        status = RunScript(first, std::cout, problem);
    } else {
        status = RunJson(first, std::cout, problem);
    }
    std::cout.flush();
    if (StandardErrorIsTerminal()) fputs("\r\x1b[K", stderr);
    if (status == kExitUnreadable) fprintf(stderr, "twtrace: %s\n", problem.text.c_str());
    return status;
}

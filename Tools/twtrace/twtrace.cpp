// twtrace: reads a trace of the monitor back and tells a support engineer what
// went wrong, what differs between two sessions, and how to replay one.
//
//   twtrace summary|check|script|json FILE
//   twtrace diff A B
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string_view>

#include "Commands.h"
#include "ProjectVersion.h"
#include "TraceFile.h"

namespace {

constexpr char kUsage[] =
    "usage: twtrace <command> FILE\n"
    "  summary FILE   the session at a glance: triplets, states, failures, capabilities, transfers\n"
    "  check FILE     protocol faults, each with its record, rule and side at fault\n"
    "                 (exit 0 clean, 1 faults found, 2 not readable)\n"
    "  script FILE    a twhost session script that replays the application's side\n"
    "  json FILE      the records as JSON lines\n"
    "  diff A B       the differences between two traces, aligned by their triplets\n"
    "  --version      the version of twtrace\n";

int Usage(const char* what) {
    fprintf(stderr, "twtrace: %s\n%s", what, kUsage);
    return kExitUnreadable;
}

// Progress on a terminal for a long read.
void ShowProgress(CTraceReader& reader, const TraceFile& file) {
    if (!StandardErrorIsTerminal()) return;
    std::string name = file.name;
    uint64_t size = file.size;
    reader.OnProgress([name, size](uint64_t bytes) {
        int percent = size > 0 ? static_cast<int>(bytes * 100 / size) : 0;
        fprintf(stderr, "\r%s: %llu MB read (%d%%)\x1b[K", name.c_str(), static_cast<unsigned long long>(bytes >> 20),
                percent);
    });
}

}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    UseBinaryStandardOutput();
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
            fputs(kUsage, stdout);
            return 0;
        }
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        PrintProgramVersion("twtrace");
        return 0;
    }
    if (argc < 2) return Usage("a command is missing");
    std::string_view command = argv[1];
    bool diff = command == "diff";
    if (!diff && command != "summary" && command != "check" && command != "script" && command != "json")
        return Usage(("unknown command '" + std::string(command) + "'").c_str());
    int files = diff ? 2 : 1;
    if (argc - 2 < files) return Usage(diff ? "diff needs two trace files" : "a trace file is missing");
    if (argc - 2 > files) return Usage(("one argument too many: '" + std::string(argv[2 + files]) + "'").c_str());

    TraceFile traces[2];
    for (int i = 0; i < files; ++i) {
        if (!traces[i].Open(argc, argv, 2 + i)) {
            fprintf(stderr, "twtrace: %s: %s\n", traces[i].name.c_str(), strerror(errno));
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

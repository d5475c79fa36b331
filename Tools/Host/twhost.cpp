// twhost: plays the Data Source Manager and the application for one data source
// module. It loads the module as a manager does, sends it a session's triplets
// through DS_Entry, prints each answer, and unloads it.
//
//   twhost [--status] <module.ds> <demo|vendor|structures|twain2|callback|script-file>
//
// Exit status: 0 when every triplet answered as the session expects, 1 when one
// did not, 2 when nothing was run (a wrong argument, a module or a session that
// could not be read).
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "BuiltinSessions.h"
#include "FileText.h"
#include "HostModule.h"
#include "ProjectVersion.h"
#include "Session.h"

namespace {

constexpr int kExitMismatch = 1;
constexpr int kExitUnusable = 2;

constexpr char kUsage[] =
    "usage: twhost [--status] <module.ds> <demo|vendor|structures|twain2|callback|script-file>\n"
    "Loads the data source module as a Data Source Manager does, sends it the session's\n"
    "triplets as an application would, prints one line per triplet, and unloads it.\n"
    "  --status  after a triplet answers TWRC_FAILURE, ask DAT_STATUS and show its\n"
    "            condition code (outside the session's expectations)\n"
    "  --help    this text;  --version  the version\n"
    "Exit status: 0 every triplet answered as expected, 1 one did not, 2 nothing was run\n"
    "(a wrong argument, a module that does not load, a session that is not text or has faults).\n";

// Problems of a session script shown; a file that is no script at all would fill the screen.
constexpr size_t kMaxScriptProblems = 20;

int Unusable(const std::string& what) {
    fprintf(stderr, "twhost: %s\n", what.c_str());
    return kExitUnusable;
}

int WrongArgument(const std::string& what) {
    fprintf(stderr, "twhost: %s\n%s", what.c_str(), kUsage);
    return kExitUnusable;
}

// A built-in session's script, or the file's text; empty with the reason in problem.
std::string ReadSession(const std::string& nameOrPath, std::string& problem) {
    if (const char* builtin = FindBuiltinSession(nameOrPath)) return builtin;
    std::error_code ec;
    if (std::filesystem::is_directory(nameOrPath, ec)) {
        problem = ShownText(nameOrPath, SIZE_MAX) + " is a directory, not a session script";
        return "";
    }
    std::ifstream file(nameOrPath, std::ios::binary);
    if (!file) {
        problem = "no built-in session and no file named " + ShownText(nameOrPath, SIZE_MAX);
        return "";
    }
    std::ostringstream text;
    text << file.rdbuf();
    const std::string kind = NotTextKind(std::string_view(text.str()).substr(0, kTextSniffBytes));
    if (!kind.empty()) {
        problem = ShownText(nameOrPath, SIZE_MAX) + ": not a session script: it looks like " + kind;
        return "";
    }
    return text.str();
}

}  // namespace

int main(int argc, char** argv) {
    bool askStatus = false;
    std::vector<std::string> operands;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--version") {
            PrintProgramVersion("twhost");
            return 0;
        }
        if (argument == "--status") {
            askStatus = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            return WrongArgument("unknown option " + ShownText(argument));
        } else {
            operands.push_back(argument);
        }
    }
    if (operands.size() != 2)
        return WrongArgument(operands.size() < 2 ? "a module and a session are needed"
                                                 : "one module and one session, not '" + ShownText(operands[2]) + "'");
    if (FindBuiltinSession(operands[0]) && !FindBuiltinSession(operands[1]))
        return WrongArgument("'" + ShownText(operands[0]) + "' is a session, not a module; did you mean: twhost " +
                             ShownText(operands[1]) + " " + ShownText(operands[0]));
    const std::string& sessionName = operands[1];

    std::string problem;
    const std::string script = ReadSession(sessionName, problem);
    if (!problem.empty()) return Unusable(problem);
    std::vector<SessionStep> steps;
    std::string errors;
    if (!ParseSessionScript(script, steps, errors)) {
        std::istringstream lines(errors);
        size_t shown = 0, more = 0;
        for (std::string line; std::getline(lines, line);) {
            if (shown++ < kMaxScriptProblems)
                fprintf(stderr, "twhost: %s: %s\n", ShownText(sessionName, SIZE_MAX).c_str(), line.c_str());
            else
                ++more;
        }
        if (more) fprintf(stderr, "twhost: %s: and %zu more problems\n", ShownText(sessionName, SIZE_MAX).c_str(), more);
        return kExitUnusable;
    }
    if (steps.empty())
        return Unusable(ShownText(sessionName, SIZE_MAX) + " holds no triplet and no directive: nothing to run");

    const std::string traceFilesBefore = TraceFilesBeforeLoad();
    HostedModule module;
    if (!LoadHostedModule(operands[0], module, problem)) return Unusable(ShownText(problem, SIZE_MAX));

    CHostSession session(module.entry, stdout);
    session.AskStatusAfterFailure(askStatus);
    int mismatches = session.Run(steps);
    // Read before the unload closes it.
    const std::string traces = TraceFilesWritten(traceFilesBefore);
    UnloadHostedModule(module);
    if (traces.empty())
        fprintf(stderr, "twhost: the module wrote no trace file (was its log directory there at load?)\n");
    else
        fprintf(stderr, "twhost: trace: %s\n", traces.c_str());
    return mismatches == 0 ? 0 : kExitMismatch;
}

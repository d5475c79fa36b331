// The commands of twtrace, each reading a trace through the reader and writing
// its result to out. Each returns the command's exit status.
#pragma once

#include <ostream>
#include <string>

#include "TraceReader.h"

inline constexpr int kExitClean = 0;
inline constexpr int kExitFindings = 1;
inline constexpr int kExitUnreadable = 2;

// Why a trace could not be read, for the message of exit status 2.
struct ReadProblem {
    std::string text;
};

int RunSummary(CTraceReader& reader, std::ostream& out, ReadProblem& problem);
int RunCheck(CTraceReader& reader, std::ostream& out, ReadProblem& problem);
int RunScript(CTraceReader& reader, std::ostream& out, ReadProblem& problem);
int RunJson(CTraceReader& reader, std::ostream& out, ReadProblem& problem);
int RunDiff(CTraceReader& first, CTraceReader& second, std::ostream& out, ReadProblem& problem);

// "00017 DG_CONTROL/DAT_CAPABILITY/MSG_SET (CAP_X)", or "event after 00021" for a
// record that has no number of its own.
std::string RecordName(const TraceRecord& record, int64_t lastNumber);

// Exit status 2 and its reason when the reader found no record at all or could
// not read its input; else the given status.
int FinalStatus(const CTraceReader& reader, bool sawRecord, int status, ReadProblem& problem);

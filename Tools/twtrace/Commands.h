// The commands of twtrace, each reading a trace through the reader and writing
// its result to out. Each returns the command's exit status.
#pragma once

#include <functional>
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

// Hands every record to take, then gives the read's exit status: kExitClean, or
// kExitUnreadable with the reason when the input held no record or could not be read.
int ReadEach(CTraceReader& reader, ReadProblem& problem, const std::function<void(const TraceRecord&)>& take);

// The message a record of the source's says to the application: the MSG of
// DAT_NULL, or the callback's Message where the trace shows it; MSG_NULL when neither.
uint16_t SourceMessage(const TraceRecord& record);
// Whether it says MSG_XFERREADY, given the state before it: a callback whose
// message the trace does not show says it when it moved the state on to 6.
bool SaysReady(const TraceRecord& record, int stateBefore);

// "00017": a record number as the trace writes it.
std::string RecordNumber(int64_t number);

// "00017 DG_CONTROL/DAT_CAPABILITY/MSG_SET (CAP_X)", "00018 [DS] DG_CONTROL/..." for
// the source's call, or "event after 00021" for a record that has no number of its own.
std::string RecordName(const TraceRecord& record, int64_t lastNumber);


// What a trace whose last triplet has no return code means: "the session ends
// inside DG_.../DAT_.../MSG_... (record 00031): ...".
std::string EndsInside(const TraceRecord& record);

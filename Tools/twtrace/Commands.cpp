#include "Commands.h"

#include <cstdio>

std::string RecordName(const TraceRecord& record, int64_t lastNumber) {
    if (record.kind == TraceRecord::Kind::Triplet) return RecordNumber(record.number) + " " + record.Triplet();
    if (record.kind == TraceRecord::Kind::Event) {
        const TraceNode* message = record.Field("TWMessage");
        return "event after " + RecordNumber(lastNumber) + (message ? " (" + message->value + ")" : "");
    }
    return "lines " + std::to_string(record.firstLine) + "-" + std::to_string(record.lastLine);
}

std::string RecordNumber(int64_t number) {
    char text[24];
    snprintf(text, sizeof(text), "%05lld", static_cast<long long>(number));
    return text;
}

int ReadEach(CTraceReader& reader, ReadProblem& problem, const std::function<void(const TraceRecord&)>& take) {
    TraceRecord record;
    bool sawRecord = false;
    while (reader.Next(record)) {
        sawRecord = sawRecord || record.kind != TraceRecord::Kind::Unreadable;
        take(record);
    }
    if (reader.ReadError()) {
        problem.text = "the file could not be read to its end";
        return kExitUnreadable;
    }
    if (!sawRecord) {
        problem.text = "not a trace: no record found";
        return kExitUnreadable;
    }
    return kExitClean;
}

std::string EndsInside(const TraceRecord& record) {
    return "the session ends inside " + record.Triplet() + " (record " + RecordNumber(record.number) +
           "): the data source never returned (crash or hang), or the trace was cut";
}

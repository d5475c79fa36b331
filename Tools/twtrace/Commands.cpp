#include "Commands.h"

#include <cstdio>

std::string RecordName(const TraceRecord& record, int64_t lastNumber) {
    char number[32];
    if (record.kind == TraceRecord::Kind::Triplet) {
        snprintf(number, sizeof(number), "%05lld ", static_cast<long long>(record.number));
        return number + record.Triplet();
    }
    snprintf(number, sizeof(number), "%05lld", static_cast<long long>(lastNumber));
    if (record.kind == TraceRecord::Kind::Event) {
        const TraceNode* message = record.Field("TWMessage");
        return std::string("event after ") + number + (message ? " (" + message->value + ")" : "");
    }
    return "lines " + std::to_string(record.firstLine) + "-" + std::to_string(record.lastLine);
}

int FinalStatus(const CTraceReader& reader, bool sawRecord, int status, ReadProblem& problem) {
    if (reader.ReadError()) {
        problem.text = "the file could not be read to its end";
        return kExitUnreadable;
    }
    if (!sawRecord) {
        problem.text = "not a trace: no record found";
        return kExitUnreadable;
    }
    return status;
}

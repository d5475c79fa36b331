#include "Commands.h"

#include <cstdio>

#include "TraceNames.h"
#include "twaintbl.h"

uint16_t SourceMessage(const TraceRecord& record) {
    if (record.dat.value == DAT_NULL) return static_cast<uint16_t>(record.msg.value);
    int64_t message = 0;
    const TraceNode* field = record.Field("Message");
    if (record.msg.value == MSG_INVOKE_CALLBACK && field &&
        (ValueOfName(NameKind::Msg, field->value, message) || ParseTraceNumber(field->value, message)))
        return static_cast<uint16_t>(message);
    return MSG_NULL;
}

bool SaysReady(const TraceRecord& record, int stateBefore) {
    const uint16_t message = SourceMessage(record);
    return message == MSG_XFERREADY || (message == MSG_NULL && record.msg.value == MSG_INVOKE_CALLBACK &&
                                        record.hasState && record.state == 6 && stateBefore != 6);
}

std::string RecordName(const TraceRecord& record, int64_t lastNumber) {
    if (record.FromSource()) return RecordNumber(record.number) + " [DS] " + record.Triplet();
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

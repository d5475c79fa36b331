// The session at a glance as data: what summary prints and the page shows. It
// keeps counts and capped lists, never the records, so memory stays flat.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "TraceRecord.h"

// A failed triplet and the condition code of the DAT_STATUS the application asked next.
struct FailureFact {
    uint64_t record = 0;  // the failed record's place among all records, from 0
    std::string name;     // "00017 DG_CONTROL/DAT_CAPABILITY/MSG_SET (CAP_X)"
    std::string rc;
    bool statusAsked = false;
    std::string condition;      // when asked
    uint64_t statusRecord = 0;  // when asked: the status record's place
    std::string statusNumber;   // when asked: "00018"
};

// One row of the capability negotiation: each cell "-" when nothing was seen.
struct CapabilityFact {
    std::string cap, set, answered, failedSets;
};

struct SessionFacts {
    uint64_t triplets = 0, events = 0;
    std::vector<FailureFact> failures;  // the first ones
    size_t moreFailures = 0;
    std::vector<CapabilityFact> capabilities;
    std::string application, source;  // "Product (Manufacturer, Info)", empty when the trace shows none
};

class CSummary;

// Takes the records in order; Finish gives the facts.
class CSessionSummary {
public:
    CSessionSummary();
    ~CSessionSummary();
    void Take(const TraceRecord& record);
    SessionFacts Finish();

private:
    std::unique_ptr<CSummary> m;
};

// The protocol checker's findings as data: what check prints and the page shows.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "TraceRecord.h"

struct Finding {
    uint64_t record = 0;  // the record at fault: its place among all records, from 0
    std::string name;     // the record as RecordName names it
    const char* rule = "";
    const char* side = nullptr;  // "application" or "driver"; null for a damaged record
    std::string what;
    const char* reason = "";  // empty for damage
};

class CChecker;

// Takes the records in order and hands each finding to found, as soon as it is sure.
class CProtocolCheck {
public:
    explicit CProtocolCheck(std::function<void(const Finding&)> found);
    ~CProtocolCheck();
    void Take(const TraceRecord& record);
    void Finish();

private:
    std::unique_ptr<CChecker> m;
};

// Two traces aligned by their triplets, as data: what diff prints and its page shows.
#pragma once

#include <string>
#include <vector>

#include "Commands.h"

struct DiffSide {
    bool present = false;
    std::string name, rc;
    int state = 0;  // after the record, 0 when it shows none
};

// One aligned pair: a record of A, of B, or of both with what differs between them.
struct DiffRow {
    DiffSide a, b;
    std::vector<std::string> changes;  // "return code: X | Y", "path: [x] | [y]"
    std::string parted;                // where the states first part: "5 | 4"
};

struct DiffResult {
    std::vector<DiffRow> rows;
    size_t recordsA = 0, recordsB = 0, differences = 0;
};

// Reads both traces and aligns them; kExitUnreadable with the reason when one cannot be read.
int DiffTraces(CTraceReader& first, CTraceReader& second, DiffResult& result, ReadProblem& problem);

// Counts the heap allocations of the whole process (malloc and operator new, in
// every library) while counting is switched on.
#pragma once

#include <cstdint>

void StartCountingAllocations();
// The allocations since StartCountingAllocations; counting stops.
uint64_t StopCountingAllocations();

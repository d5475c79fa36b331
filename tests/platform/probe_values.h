#ifndef PLATFORM_TESTS_PROBE_VALUES_H
#define PLATFORM_TESTS_PROBE_VALUES_H

// Distinctive, so a call that lands in the wrong code shows.
enum { kProbeFunctionResult = 0x5A17 };

#endif

// Executable of the test bundle ProbeBundle.bundle.
#include "probe_values.h"

extern "C" __attribute__((visibility("default"))) int ProbeFunction() {
    return kProbeFunctionResult;
}

// Executable of the test bundle ProbeBundle.bundle.
extern "C" __attribute__((visibility("default"))) int ProbeFunction() { return PROBE_FUNCTION_RESULT; }

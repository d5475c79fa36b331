#include "Commands.h"
int RunDiff(CTraceReader&, CTraceReader&, std::ostream&, ReadProblem&) { return 0; }

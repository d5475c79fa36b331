#include "Commands.h"
int RunSummary(CTraceReader&, std::ostream&, ReadProblem&) { return 0; }
int RunCheck(CTraceReader&, std::ostream&, ReadProblem&) { return 0; }
int RunDiff(CTraceReader&, CTraceReader&, std::ostream&, ReadProblem&) { return 0; }

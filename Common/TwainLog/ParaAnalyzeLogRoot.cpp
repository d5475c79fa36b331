#include "MonitorPaths.h"
#include "TraceLogFile.h"

void setupTwainLog() { setupTwainLogIn(kTwainLogDirectory); }

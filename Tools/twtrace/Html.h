// twtrace html: a trace as one self-contained page: the session at a glance, the
// state over the session as a picture, the failures and findings, the capability
// negotiation and every record, folded. Nothing in it loads anything from outside.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "Commands.h"

// Writes the page of the trace to out; title names the trace (its file name).
int RunHtml(CTraceReader& reader, std::string_view title, std::ostream& out, ReadProblem& problem);

// Writes the page of two traces side by side, aligned as diff aligns them, the
// differences marked; the exit status is diff's.
int RunDiffHtml(CTraceReader& first, CTraceReader& second, std::string_view titleA, std::string_view titleB,
                std::ostream& out, ReadProblem& problem);

// Text for an element's content or a quoted attribute: markup characters as
// references, control characters and bytes that are not UTF-8 shown as \xHH.
void AppendHtmlText(std::string& out, std::string_view text);

// Writes a page to path through a temporary file beside it, renamed when write
// returned kExitClean or kExitFindings: a failed run leaves neither a page nor a
// temporary file. Gives write's status, or kExitUnreadable with the reason.
int WritePageFile(const std::string& path, ReadProblem& problem,
                  const std::function<int(std::ostream&, ReadProblem&)>& write);

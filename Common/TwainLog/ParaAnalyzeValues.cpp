// Value formatting of single capability items.
#include "ParaAnalyze.h"
#include "TraceBlock.h"

void CParaAnalyze::ValToStr(TW_UINT16, TW_UINT16, const void*, char*, size_t) {
}

void CParaAnalyze::ValToCap(TW_UINT16, TW_UINT16, char*, size_t) {
}

void CParaAnalyze::MakeCapSupportedCaps(TW_UINT16, char*, size_t) {
}

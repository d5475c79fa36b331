// Capability containers: the TW_CAPABILITY header and the container its handle holds.
#include "ParaAnalyze.h"
#include "TraceBlock.h"

bool CParaAnalyze::TwCapabilityAnalyze(TW_CAPABILITY*) {
    return true;
}

bool CParaAnalyze::TwContainerAnalyaze(TW_CAPABILITY*) {
    return true;
}

bool CParaAnalyze::TwOneValueAnalyze(TW_UINT16, TW_ONEVALUE*, size_t) {
    return true;
}

bool CParaAnalyze::TwArrayAnalyze(TW_UINT16, TW_ARRAY*, size_t) {
    return true;
}

bool CParaAnalyze::TwEnumerationAnalyze(TW_UINT16, TW_ENUMERATION*, size_t) {
    return true;
}

bool CParaAnalyze::TwRangeAnalyze(TW_UINT16, TW_RANGE*, size_t) {
    return true;
}

void CParaAnalyze::MakeItemList(TW_UINT16, TW_UINT16, TW_UINT32, const TW_UINT8*, size_t) {
}

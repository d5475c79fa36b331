// Control structure renderers.
#include "ParaAnalyze.h"
#include "TraceBlock.h"

bool CParaAnalyze::TwIdentityAnalyze(TW_IDENTITY*) {
    return true;
}

bool CParaAnalyze::TwVersionAnalyze(TW_VERSION*) {
    return true;
}

bool CParaAnalyze::TwEventAnalyze(TW_EVENT*) {
    return true;
}

bool CParaAnalyze::TwUserInterfaceAnalyze(TW_USERINTERFACE*) {
    return true;
}

bool CParaAnalyze::TwPendingXfersAnalyze(TW_PENDINGXFERS*) {
    return true;
}

bool CParaAnalyze::TwSetupMemXferAnalyze(TW_SETUPMEMXFER*) {
    return true;
}

bool CParaAnalyze::TwSetupFileXferAnalyze(TW_SETUPFILEXFER*) {
    return true;
}

bool CParaAnalyze::TwStatusAnalyze(TW_STATUS*) {
    return true;
}

bool CParaAnalyze::TwCustomDsDataAnalyze(TW_CUSTOMDSDATA*) {
    return true;
}

bool CParaAnalyze::TwUint32(void*) {
    return true;
}

bool CParaAnalyze::TwMemoryAnalyze(TW_MEMORY*) {
    return true;
}

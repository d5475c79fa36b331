// The driver bundle's triplet operator, as the data source calls it. The virtual
// slots are the calling contract with the bundle: two the data source never calls
// (the destructor pair), OperateTriplet, one more never called, Release.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include "TwainTypes.h"

class CTripletOperator {
public:
    virtual ~CTripletOperator() {}
    virtual TW_UINT16 OperateTriplet(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                     TW_MEMREF pData) = 0;
    virtual void Reserved() {}
    // Ends the operator; the data source forgets its pointer afterwards.
    virtual void Release() = 0;
};

// The bundle's factory "CreateTwainWrapper": the data source's own executable file
// name, and where to store the new operator.
typedef void (*CreateTwainWrapperProc)(CFStringRef executableName, CTripletOperator** ppOperator);

// Load and unload of the data source's image: the driver bundle, its triplet
// operator and the trace log live exactly as long as the image does.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#include "CTripletOperator.h"

// The driver bundle; null when it was not found. Released at unload.
extern CFBundleRef g_TwainWrapperBundleRef;
// The bundle's factory as looked up by name; null when not found.
extern CreateTwainWrapperProc g_fnDsCreate;
// What the factory stored; null without one. Released at unload, never deleted.
extern CTripletOperator* g_pcTripletOperator;

extern "C" void MachO_Initialization();
extern "C" void MachO_Termination();

// The file of this image, or null when the loader does not list it. The caller
// releases it.
CFURLRef CreateMyMachOBundleURL();

// The two fixed locations of an installed monitor. TWAIN_MONITOR_ROOT (set by the
// build, empty for the build a user installs) is put in front of both, so that
// tests and the demo can stage them inside the build tree.
#pragma once

#ifndef TWAIN_MONITOR_ROOT
#error "TWAIN_MONITOR_ROOT must be defined by the build (empty for an installed monitor)"
#endif

// Logging is on only when this directory exists at load; the trace files go in it.
// A 256-character array, the path followed by zeros: a root too long to fit does
// not compile.
inline constexpr char kTwainLogDirectory[256] = TWAIN_MONITOR_ROOT "/Users/Shared/NORVA/Lumora/LOG/TWAIN";

// The vendor's driver bundle, loaded at load and handed every triplet.
inline constexpr char kTwainWrapperBundlePath[] =
    TWAIN_MONITOR_ROOT "/Library/Image Capture/Support/NORVA/Lumora/Core/TwainWrapper.bundle";

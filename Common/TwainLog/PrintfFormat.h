// The format checking of a printf-like function: on Windows the C library's
// printf is not the one the trace is formatted with (the C99 one, which
// __USE_MINGW_ANSI_STDIO selects), so the checks name that one.
#pragma once

#if defined(__MINGW32__)
#define TW_PRINTF_FORMAT(formatIndex, firstArgument) __attribute__((format(gnu_printf, formatIndex, firstArgument)))
#else
#define TW_PRINTF_FORMAT(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#endif

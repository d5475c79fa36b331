/* Export marker for the stand-in macOS layer; the library builds with
   hidden visibility so that only these declarations leave it. */
#ifndef MACPLATFORM_EXPORT_H
#define MACPLATFORM_EXPORT_H

#ifdef MACPLATFORM_STATIC
#define MACPLATFORM_EXPORT
#else
#define MACPLATFORM_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define MACPLATFORM_BEGIN_C extern "C" {
#define MACPLATFORM_END_C }
#else
#define MACPLATFORM_BEGIN_C
#define MACPLATFORM_END_C
#endif

#endif

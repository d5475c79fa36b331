/* The few CoreFoundation calls the product uses: reference-counted
   strings, file URLs and bundles that load real code. */
#ifndef MACPLATFORM_COREFOUNDATION_H
#define MACPLATFORM_COREFOUNDATION_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#include <MacPlatform/Export.h>

MACPLATFORM_BEGIN_C

typedef unsigned char Boolean;
typedef uint8_t UInt8;
typedef uint32_t UInt32;
typedef long CFIndex;
typedef const unsigned char* ConstStr255Param;

typedef const void* CFTypeRef;
typedef const struct __CFString* CFStringRef;
typedef const struct __CFURL* CFURLRef;
typedef struct __CFBundle* CFBundleRef;
typedef const struct __CFAllocator* CFAllocatorRef;

/* Allocators are accepted and ignored; only the default exists. */
#define kCFAllocatorDefault ((CFAllocatorRef)NULL)

typedef UInt32 CFStringEncoding;
enum {
    kCFStringEncodingMacRoman = 0,
    kCFStringEncodingASCII = 0x0600,
    kCFStringEncodingUTF8 = 0x08000100
};

typedef CFIndex CFURLPathStyle;
enum {
    kCFURLPOSIXPathStyle = 0,
    /* Declared for completeness; creation with them returns NULL. */
    kCFURLHFSPathStyle = 1,
    kCFURLWindowsPathStyle = 2
};

/* A new object has count 1 and is freed when it reaches 0. NULL is
   ignored (macOS would crash). */
MACPLATFORM_EXPORT CFTypeRef CFRetain(CFTypeRef cf);
MACPLATFORM_EXPORT void CFRelease(CFTypeRef cf);
MACPLATFORM_EXPORT CFIndex CFGetRetainCount(CFTypeRef cf);

/* Constant strings from CFSTR are interned and never freed. */
MACPLATFORM_EXPORT CFStringRef __CFStringMakeConstantString(const char* cStr);
#define CFSTR(cStr) __CFStringMakeConstantString("" cStr "")

/* NULL when the bytes are not valid in the encoding or it is unsupported. */
MACPLATFORM_EXPORT CFStringRef CFStringCreateWithCString(CFAllocatorRef alloc, const char* cStr,
                                                         CFStringEncoding encoding);
/* pStr[0] is the length n, followed by n bytes. */
MACPLATFORM_EXPORT CFStringRef CFStringCreateWithPascalString(CFAllocatorRef alloc,
                                                              ConstStr255Param pStr,
                                                              CFStringEncoding encoding);
MACPLATFORM_EXPORT CFStringEncoding CFStringGetSystemEncoding(void);
/* Length in UTF-16 code units, as on macOS. */
MACPLATFORM_EXPORT CFIndex CFStringGetLength(CFStringRef theString);
/* false when the text cannot be converted or does not fit with its NUL;
   nothing is written at or past bufferSize. */
MACPLATFORM_EXPORT Boolean CFStringGetCString(CFStringRef theString, char* buffer,
                                              CFIndex bufferSize, CFStringEncoding encoding);

/* Relative paths resolve against the working directory at creation. */
MACPLATFORM_EXPORT CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef alloc,
                                                                    const UInt8* buffer,
                                                                    CFIndex bufLen,
                                                                    Boolean isDirectory);
MACPLATFORM_EXPORT CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef alloc,
                                                          CFStringRef filePath,
                                                          CFURLPathStyle pathStyle,
                                                          Boolean isDirectory);
MACPLATFORM_EXPORT CFStringRef CFURLCopyLastPathComponent(CFURLRef url);
MACPLATFORM_EXPORT Boolean CFURLGetFileSystemRepresentation(CFURLRef url,
                                                            Boolean resolveAgainstBase,
                                                            UInt8* buffer, CFIndex maxBufLen);

/* NULL when the URL is NULL or not an existing directory. The executable
   is <bundle>/Contents/MacOS/<bundle name without its extension>. */
MACPLATFORM_EXPORT CFBundleRef CFBundleCreate(CFAllocatorRef allocator, CFURLRef bundleURL);
/* The executable's file, or NULL when the bundle has none; the caller
   releases it. */
MACPLATFORM_EXPORT CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle);
/* Loads the executable on first use; loaded code stays loaded after the
   bundle is released. */
MACPLATFORM_EXPORT void* CFBundleGetFunctionPointerForName(CFBundleRef bundle,
                                                           CFStringRef functionName);

MACPLATFORM_END_C

#endif

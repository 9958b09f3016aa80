/*
 * Code-page conversion. The ANSI code page of the stand-in is UTF-8; wide
 * text is UTF-16. Invalid input is replaced by U+FFFD, as Windows does
 * without MB_ERR_INVALID_CHARS.
 */
#ifndef PLATFORM_CODEPAGE_H
#define PLATFORM_CODEPAGE_H

#include <platform/com.h>

#define CP_ACP 0
#define CP_UTF8 65001

#define MB_ERR_INVALID_CHARS 0x00000008
#define WC_ERR_INVALID_CHARS 0x00000080

#define ERROR_INVALID_PARAMETER 87L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_INVALID_FLAGS 1004L
#define ERROR_NO_UNICODE_TRANSLATION 1113L

VT_BEGIN_C

/* Windows semantics: length -1 means NUL-terminated (the NUL is converted
 * and counted); an output size of 0 asks for the size needed. Returns 0 on
 * failure with the reason in GetLastError(). */
VT_PLATFORM_API int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR text, int length,
                                        WCHAR* out, int out_size);
VT_PLATFORM_API int WideCharToMultiByte(UINT code_page, DWORD flags, const WCHAR* text,
                                        int length, LPSTR out, int out_size, LPCSTR default_char,
                                        BOOL* used_default);
/* Case-insensitive compare in the ANSI code page (ASCII folding for UTF-8);
 * -1, 0 or 1. A null text sorts before any other. */
VT_PLATFORM_API int lstrcmpiA(LPCSTR a, LPCSTR b);

VT_END_C

#endif /* PLATFORM_CODEPAGE_H */

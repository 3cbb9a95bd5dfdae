/* The speech library's entry points. Texts are NUL-terminated
 * Windows-1252; every argument and result is a 32-bit integer or a pointer. */
#ifndef UPCTV_H
#define UPCTV_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define UPCTV_EXPORT __attribute__((visibility("default")))

UPCTV_EXPORT const char* upcTVAbout(void);
/* Copies the text and returns at once; speech goes on in the background.
 * A Read while speaking stops that text and speaks the new one. */
UPCTV_EXPORT int32_t upcTVRead(const char* text);
/* Reads a Windows-1252 text file aloud like upcTVRead. */
UPCTV_EXPORT int32_t upcTVReadFile(const char* path);
/* When it returns, the status is 0 and nothing more of the text is heard. */
UPCTV_EXPORT int32_t upcTVStop(void);
/* 99 Catalan, 101 Castilian; other codes are ignored. */
UPCTV_EXPORT int32_t upcTVSetLanguage(int32_t language);
/* 1 to 255, higher is faster; other values are ignored. */
UPCTV_EXPORT int32_t upcTVSetSpeed(int32_t rate);
/* 0, 1 or 2; other numbers are ignored. */
UPCTV_EXPORT int32_t upcTVSetSpeaker(int32_t speaker);
/* Nonzero from a Read until its last sample has been played. */
UPCTV_EXPORT int32_t upcTVStatus(int32_t unused);

#ifdef __cplusplus
}
#endif

#endif

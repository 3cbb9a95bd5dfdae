/* The speech library's entry points. Texts are NUL-terminated UTF-8, in any
 * script: a byte that is no part of a well-formed character, and a control
 * character, is read as a space. Every argument and result is a 32-bit
 * integer or a pointer.
 * No entry point lets an error escape: a call that cannot be done (out of
 * memory, for instance) returns -1 instead of 0. */
#ifndef UPCTV_H
#define UPCTV_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define UPCTV_EXPORT __attribute__((visibility("default")))

UPCTV_EXPORT const char* upcTVAbout(void);
/* Copies the text and returns at once, without waiting for the speech
 * engine; speech goes on in the background, synthesised only a little ahead
 * of what is heard. A Read while speaking stops that text and speaks the
 * new one. From its return the status is nonzero until the text is heard. */
UPCTV_EXPORT int32_t upcTVRead(const char* text);
/* Reads a text file aloud like upcTVRead, up to its first NUL: as UTF-8
 * when it is well-formed UTF-8 throughout (a byte order mark at its start
 * is not read), as Windows-1252 otherwise.
 * Only a regular file of at most UPCTV_MAX_FILE_BYTES is read; any other
 * is refused: the result is then -1 and what is being spoken, and the
 * status, stay as they were. 0 when the file is being read. */
#define UPCTV_MAX_FILE_BYTES (4 * 1024 * 1024)
UPCTV_EXPORT int32_t upcTVReadFile(const char* path);
/* When it returns, the status is 0 and nothing more of the text is heard;
 * what was held for it is freed. */
UPCTV_EXPORT int32_t upcTVStop(void);
/* 99 Catalan, 101 Castilian; other codes are ignored. */
UPCTV_EXPORT int32_t upcTVSetLanguage(int32_t language);
/* Reads what is read next in the eSpeak NG voice of a language named as a
 * page names it ("en", "en-GB", "pt_BR"; letter case does not matter), each
 * speaker with its own variant and pitch; the language of upcTVSetLanguage
 * reads it when no voice speaks the language. upcTVSetLanguage, or an empty
 * name, ends the choice. 0; -1, changing nothing, for a null name or one
 * that is no language name. */
UPCTV_EXPORT int32_t upcTVSetLanguageName(const char* name);
/* 1 to 255, higher is faster; other values are ignored. */
UPCTV_EXPORT int32_t upcTVSetSpeed(int32_t rate);
/* 0, 1 or 2; other numbers are ignored. */
UPCTV_EXPORT int32_t upcTVSetSpeaker(int32_t speaker);
/* Nonzero from a Read until its last sample has been played. */
UPCTV_EXPORT int32_t upcTVStatus(int32_t unused);
/* Whether what is read can be heard: 1 while the desktop's sound server
 * takes the speech; 0 while there is none to be reached, or it has stopped
 * taking it, and speech keeps its time in silence; -1 while the library is
 * still reaching one for the first time. Never waits: the library looks for
 * a server again at each text it reads, so the answer can change. The
 * other entry points do the same whatever it is. */
UPCTV_EXPORT int32_t upcTVSound(void);
/* Nonzero: what is read from now on keeps its time in silence (and is not
 * recorded), as when no sound server is there; 0 makes it heard again. The
 * choice lasts for the process, across loads of the library. 0. */
UPCTV_EXPORT int32_t upcTVSetMuted(int32_t muted);

#ifdef __cplusplus
}
#endif

#endif

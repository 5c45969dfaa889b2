/* The functions of the card-reader library ktbtt32 that the module calls,
 * as a Linux build of that library exports them (C linkage, by these names).
 * Each takes the owner window first and returns a status whose low 16 bits
 * are 0 on success. Buffers are lent by the caller; the library writes only
 * inside them. Plain C, so that a library written in C can include it. */
#ifndef KT_SESAM_CARD_READER_ABI_H
#define KT_SESAM_CARD_READER_ABI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* File name of the library in the application folder. */
#define KTBTT_LIBRARY_NAME "ktbtt32.so"

/* Reads the pack's software description into a 247-byte record: a text at
 * its start and the SRT release text 236 bytes further, each NUL-terminated. */
#define KTBTT_SOFTWARE_NAME "ktbtt_22"
typedef uint32_t (*KtbttSoftwareFn)(void* window, unsigned char* record247);

/* Reads the installed table components: entries of 224 bytes (type code in
 * byte 0, version as decimal text from byte 7, NUL-terminated) written into
 * `table` (`tableSize` bytes); `list8` receives the number of entries and
 * the byte position of the first one in `table`, each 32-bit little-endian. */
#define KTBTT_COMPONENTS_NAME "ktbtt_23"
typedef uint32_t (*KtbttComponentsFn)(void* window, unsigned char* list8, unsigned char* table, uint32_t tableSize);

/* Reads the installed modules into the 9,439-byte module area: entries of 136
 * bytes (identifier as decimal text at the start, version as decimal text
 * from byte 85, each NUL-terminated) before the area's last 8 bytes, which
 * receive the byte position of the first entry in the area and the number
 * of entries, 32-bit little-endian. `text` receives a message of the
 * library. Fails when the card reader is off. */
#define KTBTT_MODULES_NAME "ktbtt_14"
typedef uint32_t (*KtbttModulesFn)(void* window, unsigned char* area9439, char* text, uint32_t textSize);

/* Tells the user about a failed status; `mode` is 1 after the software
 * query, 2 after the component query. The two middle arguments are 0. */
#define KTBTT_REPORT_NAME "ktbtt_2"
typedef uint32_t (*KtbttReportFn)(void* window, uint32_t status, int32_t reserved1, int32_t reserved2, int32_t mode);

#ifdef __cplusplus
}
#endif

#endif

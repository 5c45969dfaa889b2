/* The installer's side of the update module's hand-over: read the record the
 * module left in the shared memory "KTShared_Params" and confirm the
 * installer's start through the event "KT_StartUpdateExe".
 *
 * The library finds the module's run-time folder by the module's own rule
 * (KT_RUNTIME_DIR, else $XDG_RUNTIME_DIR/ktupdate, else /tmp/ktupdate-UID)
 * and needs nothing else from it: it does not load the module. */
#ifndef KTHANDOVER_H
#define KTHANDOVER_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define KTHANDOVER_EXPORT __attribute__((visibility("default")))

/* Size of the record in bytes. */
#define KTHANDOVER_RECORD_SIZE 11052

/* The fields of the record, in the order of their offsets. */
typedef enum kthandover_field {
    KTHANDOVER_MODE,            /* signed: 2 install, 1 uninstall */
    KTHANDOVER_HOST_PROCESS_ID, /* unsigned */
    KTHANDOVER_TITLE,           /* text */
    KTHANDOVER_APP_DIR,         /* text */
    KTHANDOVER_UPDATE_DIR,      /* text */
    KTHANDOVER_DATA_DIR,        /* text */
    KTHANDOVER_OWNER_WINDOW,    /* unsigned */
    KTHANDOVER_HOST_PROGRAM,    /* text */
    KTHANDOVER_FIRST_ARGUMENT,  /* signed */
    KTHANDOVER_SECOND_ARGUMENT, /* signed */
    KTHANDOVER_SESAM_PENDING,   /* signed */
    KTHANDOVER_SPARE,           /* one byte */
    KTHANDOVER_FIELD_COUNT
} kthandover_field;

/* An opened record; keeps the shared memory mapped until closed. */
typedef struct kthandover_record kthandover_record;

/* Opens the record the module published. NULL, with errno set, when there is
 * none (ENOENT), it is too small (EBADMSG) or it cannot be mapped. */
KTHANDOVER_EXPORT kthandover_record* kthandover_open(void);
KTHANDOVER_EXPORT void kthandover_close(kthandover_record* record);

/* The record's KTHANDOVER_RECORD_SIZE bytes, shared with the module. */
KTHANDOVER_EXPORT const unsigned char* kthandover_bytes(const kthandover_record* record);

/* The field's name as the tool prints it ("mode", "app_dir"...); NULL for an
 * unknown field. kthandover_field_by_name gives -1 for an unknown name. */
KTHANDOVER_EXPORT const char* kthandover_field_name(kthandover_field field);
KTHANDOVER_EXPORT int kthandover_field_by_name(const char* name);
/* Non-zero for the text fields. */
KTHANDOVER_EXPORT int kthandover_field_is_text(kthandover_field field);

/* A number field's value (signed fields are sign-extended); 0 for a text
 * field or an unknown one. */
KTHANDOVER_EXPORT int64_t kthandover_number(const kthandover_record* record, kthandover_field field);

/* Copies a text field, always zero-terminated, into `out` of `size` bytes
 * (a field's text is at most 259 bytes). Returns the text's length, or -1
 * when the field is not a text or `out` is too small. */
KTHANDOVER_EXPORT int kthandover_text(const kthandover_record* record, kthandover_field field, char* out,
                                      size_t size);

typedef enum kthandover_signal_result {
    KTHANDOVER_SIGNALLED = 0,
    /* The module no longer waits: the event is gone. */
    KTHANDOVER_NOBODY_WAITING = 1,
    /* The event could not be reached; errno tells why. */
    KTHANDOVER_FAILED = -1
} kthandover_signal_result;

/* Confirms the installer's start: signals "KT_StartUpdateExe". */
KTHANDOVER_EXPORT kthandover_signal_result kthandover_signal_started(void);

#ifdef __cplusplus
}
#endif

#endif

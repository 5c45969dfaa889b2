/* The record of "KTShared_Params": its fields, their offsets and sizes. */
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "kthandover.h"
#include "runtime_dir.h"

enum Kind { kSigned, kUnsigned, kText, kByte };

struct Field {
    const char* name;
    size_t offset;
    size_t size;
    enum Kind kind;
};

static const struct Field kFields[KTHANDOVER_FIELD_COUNT] = {
    [KTHANDOVER_MODE] = {"mode", 0, 4, kSigned},
    [KTHANDOVER_HOST_PROCESS_ID] = {"host_process_id", 4, 4, kUnsigned},
    [KTHANDOVER_TITLE] = {"title", 8, 128, kText},
    [KTHANDOVER_APP_DIR] = {"app_dir", 136, 260, kText},
    [KTHANDOVER_UPDATE_DIR] = {"update_dir", 396, 260, kText},
    [KTHANDOVER_DATA_DIR] = {"data_dir", 656, 260, kText},
    [KTHANDOVER_OWNER_WINDOW] = {"owner_window", 916, 4, kUnsigned},
    [KTHANDOVER_HOST_PROGRAM] = {"host_program", 920, 260, kText},
    [KTHANDOVER_FIRST_ARGUMENT] = {"first_argument", 1180, 4, kSigned},
    [KTHANDOVER_SECOND_ARGUMENT] = {"second_argument", 1184, 4, kSigned},
    [KTHANDOVER_SESAM_PENDING] = {"sesam_pending", 1188, 4, kSigned},
    [KTHANDOVER_SPARE] = {"spare", 11051, 1, kByte},
};

struct kthandover_record {
    unsigned char* data;
};

static const struct Field* FieldOf(kthandover_field field) {
    return (unsigned)field < KTHANDOVER_FIELD_COUNT ? &kFields[field] : NULL;
}

kthandover_record* kthandover_open(void) {
    char path[4096];
    if (kthandover_runtime_path("shm.KTShared_Params", path, sizeof path) != 0) return NULL;
    const int fd = open(path, O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return NULL;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < KTHANDOVER_RECORD_SIZE) {
        close(fd);
        errno = EBADMSG;
        return NULL;
    }
    void* data = mmap(NULL, KTHANDOVER_RECORD_SIZE, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    const int mapError = errno;
    /* The mapping keeps the block alive after the module withdraws its name. */
    close(fd);
    if (data == MAP_FAILED) {
        errno = mapError;
        return NULL;
    }
    kthandover_record* record = malloc(sizeof *record);
    if (record == NULL) {
        munmap(data, KTHANDOVER_RECORD_SIZE);
        errno = ENOMEM;
        return NULL;
    }
    record->data = data;
    return record;
}

void kthandover_close(kthandover_record* record) {
    if (record == NULL) return;
    munmap(record->data, KTHANDOVER_RECORD_SIZE);
    free(record);
}

const unsigned char* kthandover_bytes(const kthandover_record* record) { return record->data; }

const char* kthandover_field_name(kthandover_field field) {
    const struct Field* f = FieldOf(field);
    return f != NULL ? f->name : NULL;
}

int kthandover_field_by_name(const char* name) {
    for (int i = 0; i < KTHANDOVER_FIELD_COUNT; ++i) {
        if (strcmp(kFields[i].name, name) == 0) return i;
    }
    return -1;
}

int kthandover_field_is_text(kthandover_field field) {
    const struct Field* f = FieldOf(field);
    return f != NULL && f->kind == kText;
}

int64_t kthandover_number(const kthandover_record* record, kthandover_field field) {
    const struct Field* f = FieldOf(field);
    if (f == NULL || f->kind == kText) return 0;
    const unsigned char* at = record->data + f->offset;
    if (f->kind == kByte) return at[0];
    const uint32_t value = (uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 | (uint32_t)at[3] << 24;
    return f->kind == kSigned ? (int64_t)(int32_t)value : (int64_t)value;
}

int kthandover_text(const kthandover_record* record, kthandover_field field, char* out, size_t size) {
    const struct Field* f = FieldOf(field);
    if (f == NULL || f->kind != kText) return -1;
    const char* text = (const char*)record->data + f->offset;
    /* The module always terminates a text inside its field; a field without
     * a terminator is read up to its end, never beyond. */
    const size_t length = strnlen(text, f->size - 1);
    if (length >= size) return -1;
    memcpy(out, text, length);
    out[length] = '\0';
    return (int)length;
}

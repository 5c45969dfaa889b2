/* kthandover: the hand-over of the update module for installers written as
 * scripts. Reads the record of "KTShared_Params" and signals
 * "KT_StartUpdateExe" through libkthandover. */
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "kthandover.h"

enum { kDone = 0, kAbsent = 1, kUsage = 2, kFailed = 3 };

static const char kUsageText[] =
    "Usage: kthandover COMMAND\n"
    "Takes part, for an installer started by the Talvo update module, in the\n"
    "module's hand-over: reads the record the module left for the installer and\n"
    "confirms the installer's start. Open the record as soon as you start: the\n"
    "module gives it up 60 seconds after starting the installer.\n"
    "\n"
    "Commands:\n"
    "  show         print every field of the record, one NAME=VALUE a line\n"
    "  get FIELD    print the value of one field\n"
    "  signal       confirm the installer's start (the event KT_StartUpdateExe)\n"
    "  --help       print this help and exit\n"
    "  --version    print the version and exit\n"
    "\n"
    "Fields: mode (2 install, 1 uninstall), host_process_id, title, app_dir,\n"
    "update_dir, data_dir, owner_window, host_program, first_argument (1: the\n"
    "Sesam Vitale pack), second_argument, sesam_pending, spare.\n"
    "\n"
    "The module's run-time folder is $KT_RUNTIME_DIR, else\n"
    "$XDG_RUNTIME_DIR/ktupdate, else /tmp/ktupdate-UID.\n"
    "\n"
    "Exit status: 0 done; 1 no record, or the module no longer waits;\n"
    "2 usage error; 3 failure.\n";

static void PrintField(const kthandover_record* record, kthandover_field field, int withName) {
    if (withName) printf("%s=", kthandover_field_name(field));
    if (kthandover_field_is_text(field)) {
        char text[KTHANDOVER_RECORD_SIZE];
        kthandover_text(record, field, text, sizeof text);
        printf("%s\n", text);
    } else {
        printf("%lld\n", (long long)kthandover_number(record, field));
    }
}

static int Show(const char* only) {
    const int wanted = only != NULL ? kthandover_field_by_name(only) : -1;
    if (only != NULL && wanted < 0) {
        fprintf(stderr, "kthandover: unknown field %s\n", only);
        return kUsage;
    }
    kthandover_record* record = kthandover_open();
    if (record == NULL) {
        fprintf(stderr, "kthandover: no record: %s\n", strerror(errno));
        return kAbsent;
    }
    for (int field = 0; field < KTHANDOVER_FIELD_COUNT; ++field) {
        if (only == NULL || field == wanted) PrintField(record, (kthandover_field)field, only == NULL);
    }
    kthandover_close(record);
    return kDone;
}

static int Signal(void) {
    switch (kthandover_signal_started()) {
        case KTHANDOVER_SIGNALLED:
            return kDone;
        case KTHANDOVER_NOBODY_WAITING:
            fprintf(stderr, "kthandover: the module no longer waits\n");
            return kAbsent;
        default:
            fprintf(stderr, "kthandover: cannot signal: %s\n", strerror(errno));
            return kFailed;
    }
}

int main(int argc, char** argv) {
    const char* command = argc > 1 ? argv[1] : "";
    if (strcmp(command, "--help") == 0 && argc == 2) {
        fputs(kUsageText, stdout);
        return kDone;
    }
    if (strcmp(command, "--version") == 0 && argc == 2) {
        printf("kthandover %s\n", KTHANDOVER_VERSION);
        return kDone;
    }
    if (strcmp(command, "show") == 0 && argc == 2) return Show(NULL);
    if (strcmp(command, "get") == 0 && argc == 3) return Show(argv[2]);
    if (strcmp(command, "signal") == 0 && argc == 2) return Signal();
    fputs(kUsageText, stderr);
    return kUsage;
}

/* A stand-in for the input-hook library: appends the name of every entry called to the file
 * named by KARVO_FAKE_HOOK_LOG, so the record outlives the library being unloaded. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "karvo_post_target.h"

static void Record(const char* name)
{
    const char* path = getenv("KARVO_FAKE_HOOK_LOG");
    FILE* log = path ? fopen(path, "a") : NULL;
    if (log)
        fprintf(log, "%s;", name), fclose(log);
}

void installmousehook(void) { Record("installmousehook"); }
void removemousehook(void) { Record("removemousehook"); }
void enablemousehook(uint32_t enable) { Record(enable ? "enablemousehook(1)" : "enablemousehook(0)"); }
int32_t installhook(const KarvoPostTarget* target) { return Record(target ? "installhook(target)" : "installhook(null)"), 1; }
void removehook(void) { Record("removehook"); }
void enablehook(uint32_t enable) { Record(enable ? "enablehook(1)" : "enablehook(0)"); }
void mousewheelenable(uint32_t enable) { Record(enable ? "mousewheelenable(1)" : "mousewheelenable(0)"); }

/* Freezes a writer at a point it reports, so a test can kill it exactly there; preloaded into
 * q32 with LD_PRELOAD. Q32_HOLD names the point and which occurrence:
 *   journal-synced:N   after the Nth flush of a rollback journal (journal written, album not)
 *   file-synced:N      after the Nth flush of a file that is neither a journal nor a folder
 *   journal-delete:N   before the Nth deletion of a rollback journal (album written, the
 *                      commit not yet final)
 *   reported:N         after the Nth line containing ": stored" written to standard error
 * When it is reached, "q32-hold <point>\n" goes to standard error and the process waits for
 * its end. Without Q32_HOLD every call passes straight through. */

#define _GNU_SOURCE
#include <dlfcn.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

/* POSIX's way of turning dlsym's answer into a function pointer. */
#define REAL(name) (*(void**)(&real) = dlsym(RTLD_NEXT, name))

static char seen[64];
static long count;

/* The occurrence limit of point, or 0 when the hold is not set for it. Counting starts afresh
 * whenever Q32_HOLD changes, so a forked child that sets it counts only its own calls. */
static long limitFor(const char* point) {
    const char* hold = getenv("Q32_HOLD");
    if (!hold)
        return 0;
    if (strncmp(hold, seen, sizeof seen) != 0) {
        strncpy(seen, hold, sizeof seen - 1);
        count = 0;
    }
    const size_t n = strlen(point);
    if (strncmp(hold, point, n) != 0 || hold[n] != ':')
        return 0;
    return atol(hold + n + 1);
}

static void holdHere(const char* point) {
    static ssize_t (*real)(int, const void*, size_t);
    if (!real)
        REAL("write");
    char line[96];
    const int length = snprintf(line, sizeof line, "q32-hold %s\n", point);
    real(2, line, (size_t)length);
    for (;;)
        pause();
}

static int isJournal(int fd) {
    char link[64], target[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, target, sizeof target - 1);
    if (n < 8)
        return 0;
    target[n] = 0;
    return strcmp(target + n - 8, "-journal") == 0;
}

static int isPlainFile(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && !isJournal(fd);
}

static void afterSync(int fd) {
    long limit = limitFor("journal-synced");
    if (limit > 0 && isJournal(fd) && ++count == limit)
        holdHere("journal-synced");
    limit = limitFor("file-synced");
    if (limit > 0 && isPlainFile(fd) && ++count == limit)
        holdHere("file-synced");
}

int fdatasync(int fd) {
    static int (*real)(int);
    if (!real)
        REAL("fdatasync");
    const int rc = real(fd);
    afterSync(fd);
    return rc;
}

int fsync(int fd) {
    static int (*real)(int);
    if (!real)
        REAL("fsync");
    const int rc = real(fd);
    afterSync(fd);
    return rc;
}

int unlink(const char* path) {
    static int (*real)(const char*);
    if (!real)
        REAL("unlink");
    const long limit = limitFor("journal-delete");
    const size_t n = strlen(path);
    if (limit > 0 && n > 8 && strcmp(path + n - 8, "-journal") == 0 && ++count == limit)
        holdHere("journal-delete");
    return real(path);
}

static void afterReport(const void* data, size_t size) {
    const long limit = limitFor("reported");
    if (limit <= 0)
        return;
    const char* text = (const char*)data;
    for (size_t i = 0; i + 8 <= size; ++i)
        if (memcmp(text + i, ": stored", 8) == 0 && ++count == limit)
            holdHere("reported");
}

ssize_t write(int fd, const void* data, size_t size) {
    static ssize_t (*real)(int, const void*, size_t);
    if (!real)
        REAL("write");
    const ssize_t rc = real(fd, data, size);
    if (fd == 2 && rc > 0)
        afterReport(data, (size_t)rc);
    return rc;
}

size_t fwrite(const void* data, size_t size, size_t items, FILE* stream) {
    static size_t (*real)(const void*, size_t, size_t, FILE*);
    if (!real)
        REAL("fwrite");
    const size_t rc = real(data, size, items, stream);
    if (stream == stderr && rc > 0) {
        fflush(stream); /* the report is out before the process freezes */
        afterReport(data, rc * size);
    }
    return rc;
}

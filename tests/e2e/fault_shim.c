/* Preloaded into the program by the safety tests: makes the n-th call of
 * one kind fail or kills the process around it.
 *   FAULT_CALL    write | fsync | rename   (write counts only fds above 2)
 *   FAULT_AT      n, counted from 1
 *   FAULT_ACTION  eio | enospc        the call fails with that error
 *                 kill-before          SIGKILL instead of the call
 *                 kill-after           SIGKILL right after it
 *                 kill-torn            (write) half the bytes, then SIGKILL
 *   FAULT_MARK    a file removed when the fault strikes (so a test knows)
 *   FAULT_ONLY    counts only calls on files whose path holds this text
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static long counter;

static int path_counts(const char *path) {
  const char *only = getenv("FAULT_ONLY");
  return !only || (path && strstr(path, only));
}

static int fd_counts(int fd) {
  char link[64], path[4096];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  ssize_t n = readlink(link, path, sizeof path - 1);
  if (n < 0) return path_counts(NULL);
  path[n] = 0;
  return path_counts(path);
}

/* What to do at this call of `kind`: NULL to just make it. */
static const char *action_for(const char *kind, int counts) {
  const char *call = getenv("FAULT_CALL");
  const char *at = getenv("FAULT_AT");
  if (!call || !at || strcmp(call, kind) != 0 || !counts) return NULL;
  if (++counter != atol(at)) return NULL;
  const char *mark = getenv("FAULT_MARK");
  if (mark) unlink(mark);
  const char *action = getenv("FAULT_ACTION");
  return action ? action : "eio";
}

static int fail_or_kill(const char *action) {
  if (strcmp(action, "kill-before") == 0) raise(SIGKILL);
  errno = strcmp(action, "enospc") == 0 ? ENOSPC : EIO;
  return -1;
}

ssize_t write(int fd, const void *data, size_t size) {
  static ssize_t (*real)(int, const void *, size_t);
  if (!real) real = (ssize_t (*)(int, const void *, size_t))dlsym(RTLD_NEXT, "write");
  const char *action = fd > 2 ? action_for("write", fd_counts(fd)) : NULL;
  if (!action) return real(fd, data, size);
  if (strcmp(action, "kill-torn") == 0) {
    real(fd, data, size / 2);
    raise(SIGKILL);
  }
  if (strcmp(action, "kill-after") == 0) {
    ssize_t n = real(fd, data, size);
    raise(SIGKILL);
    return n;
  }
  return fail_or_kill(action);
}

int fsync(int fd) {
  static int (*real)(int);
  if (!real) real = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
  const char *action = action_for("fsync", fd_counts(fd));
  if (!action) return real(fd);
  if (strcmp(action, "kill-after") == 0) {
    real(fd);
    raise(SIGKILL);
  }
  return fail_or_kill(action);
}

int rename(const char *from, const char *to) {
  static int (*real)(const char *, const char *);
  if (!real) real = (int (*)(const char *, const char *))dlsym(RTLD_NEXT, "rename");
  const char *action = action_for("rename", path_counts(to));
  if (!action) return real(from, to);
  if (strcmp(action, "kill-after") == 0) {
    real(from, to);
    raise(SIGKILL);
  }
  return fail_or_kill(action);
}

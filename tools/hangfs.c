/* A drive that does not answer: a FUSE filesystem whose statfs (the call behind a drive's
 * type, label and free-space queries under Wine) blocks for a set time, as a disconnected
 * network share or a dying USB disk does. Everything else answers at once: an empty root
 * directory.
 *
 *   hangfs [--spare-wineserver] MOUNTPOINT [SECONDS] [FUSE OPTIONS...]
 *
 * SECONDS defaults to 20; it runs in the foreground. Wine's server asks a filesystem's
 * statfs itself when a file of a new device is opened, and while it waits every Wine
 * process waits with it; on Windows only the calling thread would. --spare-wineserver
 * answers Wine's server at once, so that only the program's own calls hang. Each hanging
 * call writes a line to standard error as it begins and as it ends ("statfs hangs",
 * "statfs answers"), so a test can tell whether one is in progress.
 *
 * Built and mounted by tools/fuse_drive.py (for tools/hang_measure.py and the hanging-drive
 * test); needs Debian's libfuse3-dev and fuse3. */
#define FUSE_USE_VERSION 31
#include <errno.h>
#include <fuse.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>

#include "fuse_empty_root.h"

static double hang_seconds = 20.0;
static int spare_wineserver = 0;

/* Whether the calling process is Wine's server. */
static int caller_is_wineserver(void) {
  char path[64], name[64] = "";
  snprintf(path, sizeof path, "/proc/%d/comm", (int)fuse_get_context()->pid);
  FILE* f = fopen(path, "r");
  if (!f) return 0;
  if (!fgets(name, sizeof name, f)) name[0] = 0;
  fclose(f);
  return strncmp(name, "wineserver", 10) == 0;
}

static void hang(void) {
  struct timespec t;
  t.tv_sec = (time_t)hang_seconds;
  t.tv_nsec = (long)((hang_seconds - (double)t.tv_sec) * 1e9);
  while (nanosleep(&t, &t) == -1 && errno == EINTR) {
  }
}

static int hang_statfs(const char* path, struct statvfs* st) {
  (void)path;
  if (!(spare_wineserver && caller_is_wineserver())) {
    fprintf(stderr, "statfs hangs\n");
    fflush(stderr);
    hang();
    fprintf(stderr, "statfs answers\n");
    fflush(stderr);
  }
  drive_figures(st, 2621440, 262144); /* 10 GiB, a tenth of it free */
  return 0;
}

static const struct fuse_operations operations = {
    .getattr = empty_root_getattr,
    .readdir = empty_root_readdir,
    .statfs = hang_statfs,
};

int main(int argc, char* argv[]) {
  if (argc > 1 && strcmp(argv[1], "--spare-wineserver") == 0) {
    spare_wineserver = 1;
    argv[1] = argv[0];
    ++argv;
    --argc;
  }
  if (argc < 2) {
    fprintf(stderr, "usage: %s [--spare-wineserver] MOUNTPOINT [SECONDS] [FUSE OPTIONS...]\n", argv[0]);
    return 2;
  }
  int first_option = 2;
  if (argc > 2 && argv[2][0] != '-') {
    hang_seconds = atof(argv[2]);
    first_option = 3;
  }
  /* fuse_main: program name, -f (foreground), the mount point, the caller's options. A
   * multi-threaded loop, so one hung statfs does not hold up the other calls. */
  char* args[64];
  int n = 0;
  args[n++] = argv[0];
  args[n++] = "-f";
  args[n++] = argv[1];
  for (int i = first_option; i < argc && n < 63; ++i) args[n++] = argv[i];
  args[n] = NULL;
  return fuse_main(n, args, &operations, NULL);
}

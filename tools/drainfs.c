/* A drive that fills at a known rate: a FUSE filesystem whose statfs (the call behind a
 * drive's free-space query under Wine) reports a fixed total and a free space that falls
 * by RATE bytes a second of a clock that runs SCALE times as fast as the real one from
 * START. Everything else answers at once: an empty root directory.
 *
 *   drainfs MOUNTPOINT --total BYTES --free BYTES --rate BYTES [--start SECONDS]
 *           [--scale FACTOR] [FUSE OPTIONS...]
 *
 * At real time t (seconds since 1970), free = FREE - RATE * SCALE * (t - START), kept
 * between 0 and TOTAL (a negative RATE fills it back up). START defaults to the moment of
 * mounting; SCALE to 1. A test that compresses time runs the program's clock through the
 * same START and SCALE, so both agree on "now". The figures are reported in 4096-byte
 * blocks, rounded down. Runs in the foreground.
 *
 * Built and mounted by tools/fuse_drive.py; needs Debian's libfuse3-dev and fuse3. */
#define FUSE_USE_VERSION 31
#include <errno.h>
#include <fuse.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <time.h>

#include "fuse_empty_root.h"

static double total_bytes = -1, free_bytes = -1, rate = 0, start = -1, scale = 1;

static double now_seconds(void) {
  struct timespec t;
  clock_gettime(CLOCK_REALTIME, &t);
  return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static int drain_statfs(const char* path, struct statvfs* st) {
  (void)path;
  double left = free_bytes - rate * scale * (now_seconds() - start);
  if (left < 0) left = 0;
  if (left > total_bytes) left = total_bytes;
  drive_figures(st, (fsblkcnt_t)floor(total_bytes / DRIVE_BLOCK), (fsblkcnt_t)floor(left / DRIVE_BLOCK));
  return 0;
}

static const struct fuse_operations operations = {
    .getattr = empty_root_getattr,
    .readdir = empty_root_readdir,
    .statfs = drain_statfs,
};

static int usage(const char* program) {
  fprintf(stderr,
          "usage: %s MOUNTPOINT --total BYTES --free BYTES --rate BYTES [--start SECONDS] [--scale FACTOR] "
          "[FUSE OPTIONS...]\n",
          program);
  return 2;
}

/* A number of the command line, or -1 with a message when it is not one. */
static int number(const char* name, const char* text, double* out) {
  char* end = NULL;
  errno = 0;
  const double v = strtod(text, &end);
  if (errno != 0 || end == text || *end != 0 || !isfinite(v)) {
    fprintf(stderr, "drainfs: %s: not a number: %s\n", name, text);
    return -1;
  }
  *out = v;
  return 0;
}

int main(int argc, char* argv[]) {
  if (argc < 2 || argv[1][0] == '-') return usage(argv[0]);
  char* args[64];
  int n = 0;
  args[n++] = argv[0];
  args[n++] = "-f";
  args[n++] = argv[1];
  for (int i = 2; i < argc; ++i) {
    double* target = NULL;
    if (strcmp(argv[i], "--total") == 0) target = &total_bytes;
    else if (strcmp(argv[i], "--free") == 0) target = &free_bytes;
    else if (strcmp(argv[i], "--rate") == 0) target = &rate;
    else if (strcmp(argv[i], "--start") == 0) target = &start;
    else if (strcmp(argv[i], "--scale") == 0) target = &scale;
    if (target) {
      if (i + 1 >= argc || number(argv[i], argv[i + 1], target) != 0) return usage(argv[0]);
      ++i;
    } else if (n < 63) {
      args[n++] = argv[i];
    }
  }
  args[n] = NULL;
  if (total_bytes <= 0 || free_bytes < 0 || free_bytes > total_bytes || scale <= 0) {
    fprintf(stderr, "drainfs: needs --total above 0, --free from 0 to the total, --scale above 0\n");
    return usage(argv[0]);
  }
  if (start < 0) start = now_seconds();
  /* A multi-threaded loop: statfs never blocks, but Wine asks from several threads. */
  return fuse_main(n, args, &operations, NULL);
}

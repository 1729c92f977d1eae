/* The part every drive filesystem of the tests shares: a root directory that is empty and
 * nothing else, and the statfs figures of a drive of 4096-byte blocks. Included by
 * tools/hangfs.c and tools/drainfs.c after <fuse.h>. */
#include <errno.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#define DRIVE_BLOCK 4096

static void drive_figures(struct statvfs* st, fsblkcnt_t blocks, fsblkcnt_t free_blocks) {
  memset(st, 0, sizeof *st);
  st->f_bsize = st->f_frsize = DRIVE_BLOCK;
  st->f_blocks = blocks;
  st->f_bfree = st->f_bavail = free_blocks;
  st->f_files = 1000;
  st->f_ffree = 900;
  st->f_namemax = 255;
}

static int empty_root_getattr(const char* path, struct stat* st, struct fuse_file_info* fi) {
  (void)fi;
  memset(st, 0, sizeof *st);
  if (strcmp(path, "/") != 0) return -ENOENT;
  st->st_mode = S_IFDIR | 0755;
  st->st_nlink = 2;
  return 0;
}

static int empty_root_readdir(const char* path, void* buf, fuse_fill_dir_t fill, off_t offset,
                              struct fuse_file_info* fi, enum fuse_readdir_flags flags) {
  (void)offset;
  (void)fi;
  (void)flags;
  if (strcmp(path, "/") != 0) return -ENOENT;
  fill(buf, ".", NULL, 0, 0);
  fill(buf, "..", NULL, 0, 0);
  return 0;
}

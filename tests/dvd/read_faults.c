/* Damaged blocks on a disc, for tests: preloaded into a test program, this library makes
 * read(2) fail with EIO when a read of one chosen file touches a chosen range of bytes, the way
 * a scratched disc fails in the drive. Everything else reads as usual.
 * The test names the file and the range through kavoro_set_read_fault (found with dlsym). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <stdint.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

static pthread_mutex_t fault_lock = PTHREAD_MUTEX_INITIALIZER;
/* guarded by fault_lock */
static int fault_set;
static dev_t fault_dev;
static ino_t fault_ino;
static uint64_t fault_from, fault_to;
static unsigned long fault_count;

typedef ssize_t (*read_fn)(int, void *, size_t);

/* Reads of `path` touching bytes [from, to) fail from now on; a null path ends the faults.
 * Returns 0, or -1 when the file cannot be found. */
int kavoro_set_read_fault(const char *path, uint64_t from, uint64_t to) {
  struct stat st;
  if (path && stat(path, &st) != 0) return -1;
  pthread_mutex_lock(&fault_lock);
  fault_set = path != NULL;
  if (path) {
    fault_dev = st.st_dev;
    fault_ino = st.st_ino;
    fault_from = from;
    fault_to = to;
  }
  fault_count = 0;
  pthread_mutex_unlock(&fault_lock);
  return 0;
}

/* Reads that failed since the fault was set. */
unsigned long kavoro_read_faults(void) {
  pthread_mutex_lock(&fault_lock);
  unsigned long n = fault_count;
  pthread_mutex_unlock(&fault_lock);
  return n;
}

ssize_t read(int fd, void *buffer, size_t bytes) {
  static read_fn next;
  if (!next) next = (read_fn)dlsym(RTLD_NEXT, "read");
  pthread_mutex_lock(&fault_lock);
  int set = fault_set;
  dev_t dev = fault_dev;
  ino_t ino = fault_ino;
  uint64_t from = fault_from, to = fault_to;
  pthread_mutex_unlock(&fault_lock);
  if (set) {
    struct stat st;
    if (fstat(fd, &st) == 0 && st.st_dev == dev && st.st_ino == ino) {
      off_t at = lseek(fd, 0, SEEK_CUR);
      if (at >= 0 && (uint64_t)at < to && (uint64_t)at + bytes > from) {
        pthread_mutex_lock(&fault_lock);
        ++fault_count;
        pthread_mutex_unlock(&fault_lock);
        errno = EIO;
        return -1;
      }
    }
  }
  return next(fd, buffer, bytes);
}

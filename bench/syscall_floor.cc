// Baselines for velkor in C, run in a folder of src-NNNNNN.mp3 files:
//   syscall_floor bare rename-tag|tag COUNT
//     The least a renamer and tagger must do per file: rename, open, read 128, write 128,
//     close. No job file, no messages, no checks beyond the tag probe.
//   syscall_floor same-calls rename-tag|tag COUNT
//     The system calls velkor itself makes, in its order, with no other work: the job file
//     read once in 64 KiB pieces, then per file an exclusive rename, one report write per
//     message, an open of the regular file without blocking, an exclusive lock, fstat, the
//     probe and the tag at their offsets, close.
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

int Bare(bool rename_first, long count) {
  char tag[128] = "TAGtitle";
  char probe[128];
  char from[64], to[64];
  for (long i = 0; i < count; ++i) {
    snprintf(from, sizeof from, "src-%06ld.mp3", i);
    snprintf(to, sizeof to, "dst-%06ld.mp3", i);
    const char* target = from;
    if (rename_first) {
      if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) != 0) return 1;
      target = to;
    }
    int fd = open(target, O_RDWR);
    if (fd < 0) return 1;
    if (lseek(fd, -128, SEEK_END) < 0 || read(fd, probe, sizeof probe) != 128) return 1;
    if (std::memcmp(probe, "TAG", 3) != 0 && write(fd, tag, sizeof tag) != 128) return 1;
    close(fd);
  }
  return 0;
}

void Report(const char* text, int length) {
  if (write(STDOUT_FILENO, text, static_cast<size_t>(length)) != length) std::exit(1);
}

// The job file is read whole, as velkor's single pass does, and not looked at.
void ReadJobFile() {
  static char piece[64 * 1024];
  int fd = open("job.xml", O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  struct stat info;
  if (fd < 0 || fstat(fd, &info) != 0) std::exit(1);
  off_t offset = 0;
  for (ssize_t n; (n = pread(fd, piece, sizeof piece, offset)) > 0;) offset += n;
  close(fd);
  Report("Processing file 'job.xml':\n", 27);
}

int SameCalls(bool rename_first, long count) {
  ReadJobFile();
  char tag[128] = "TAGtitle";
  char probe[128];
  char from[64], to[64], message[256];
  for (long i = 0; i < count; ++i) {
    snprintf(from, sizeof from, "src-%06ld.mp3", i);
    snprintf(to, sizeof to, "dst-%06ld.mp3", i);
    const char* target = from;
    if (rename_first) {
      if (renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) != 0) return 1;
      Report(message, snprintf(message, sizeof message, "File '%s' was renamed to '%s'.\n", from, to));
      target = to;
    }
    int fd = open(target, O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    struct stat info;
    if (fd < 0 || flock(fd, LOCK_EX | LOCK_NB) != 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return 1;
    if (pread(fd, probe, sizeof probe, info.st_size - 128) != 128) return 1;
    if (std::memcmp(probe, "TAG", 3) != 0 && pwrite(fd, tag, sizeof tag, info.st_size) != 128) return 1;
    close(fd);
    Report(message, snprintf(message, sizeof message, "ID3 v1.1 tag was added to file '%s'.\n", target));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  const bool same_calls = std::strcmp(argv[1], "same-calls") == 0;
  const bool rename_first = std::strcmp(argv[2], "rename-tag") == 0;
  const long count = std::atol(argv[3]);
  return same_calls ? SameCalls(rename_first, count) : Bare(rename_first, count);
}

// The least a renamer and tagger must do per file, as a baseline for velkor: the same
// system calls without XML, messages or checks beyond the tag probe.
// Usage: syscall_floor rename-tag|tag COUNT   (in a folder of src-NNNNNN.mp3 files)
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const bool rename_first = std::strcmp(argv[1], "rename-tag") == 0;
  const long count = std::atol(argv[2]);
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

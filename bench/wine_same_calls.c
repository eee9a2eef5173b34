/* The Windows calls velkor.exe makes for an entry whose file is missing, and nothing else:
   a rename that fails and one report line. Under Wine it is the floor that velkor.exe's
   time per entry is held against. Usage: wine_same_calls.exe COUNT */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  const int count = argc > 1 ? _wtoi(argv[1]) : 0;
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  for (int i = 0; i < count; ++i) {
    wchar_t from[96], to[96];
    char line[256];
    swprintf(from, 96, L"/home/user/Music/Incoming/Artist %d/Album/%02d track.mp3", i, i % 14 + 1);
    swprintf(to, 96, L"/home/user/Music/Library/Artist %d/Album (2004)/%02d - Title.mp3", i, i % 14 + 1);
    if (!MoveFileExW(from, to, 0)) {
      const int length = snprintf(line, sizeof line, "Cannot rename file '%ls' to '%ls'.\r\n", from, to);
      DWORD written = 0;
      WriteFile(out, line, (DWORD)length, &written, NULL);
    }
  }
  return 0;
}

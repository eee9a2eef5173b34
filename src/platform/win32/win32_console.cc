// The console and the standard streams on Windows.
#include <vector>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_stop.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/windows_api.h"

namespace velkor {
namespace {

// Console character attributes by class number: foreground bits only, so every painted
// cell has a black background whatever the console's own colours are.
constexpr WORD kClassAttributes[] = {
    FOREGROUND_RED | FOREGROUND_GREEN | FOREGROUND_BLUE,        // Normal: light grey
    FOREGROUND_INTENSITY | FOREGROUND_GREEN | FOREGROUND_BLUE,  // Header: bright cyan
    FOREGROUND_INTENSITY | FOREGROUND_RED | FOREGROUND_BLUE,    // Error: bright magenta
    FOREGROUND_INTENSITY | FOREGROUND_RED | FOREGROUND_GREEN,   // Warning: yellow
    FOREGROUND_INTENSITY | FOREGROUND_RED,                      // Fatal: bright red
};

void WriteUnits(HANDLE console, std::u16string_view text) {
  DWORD written = 0;
  WriteConsoleW(console, win32::Wide(text), static_cast<DWORD>(text.size()), &written, nullptr);
}

void ShowMessageBox(std::u16string_view text) {
  const std::u16string owned(text);  // MessageBoxW needs the terminating NUL
  MessageBoxW(nullptr, win32::Wide(owned), L"Velkor", MB_OK);
}

}  // namespace

Win32Platform::Win32Platform() : output_(GetStdHandle(STD_OUTPUT_HANDLE)) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(output_, &info)) width_ = info.dwSize.X;
}

bool Win32Platform::InitRuntime() {
  win32::InstallStopHandler();
  return true;
}

int Win32Platform::ConsoleWidth() { return width_; }

// A console, or another character device such as a serial line with a terminal on it.
bool Win32Platform::OutputIsTerminal() { return GetFileType(output_) == FILE_TYPE_CHAR; }

// The units are written in the console's current attribute and painted afterwards from
// where the line began, so the console's own attribute never changes.
void Win32Platform::WriteConsoleLine(std::u16string_view line, ReportClass report_class) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  const bool placed = GetConsoleScreenBufferInfo(output_, &info);
  WriteUnits(output_, line);
  if (placed && !line.empty()) {
    const std::vector<WORD> run(line.size(), kClassAttributes[static_cast<int>(report_class)]);
    DWORD painted = 0;
    WriteConsoleOutputAttribute(output_, run.data(), static_cast<DWORD>(run.size()), info.dwCursorPosition, &painted);
  }
  WriteUnits(output_, u"\r\n");
}

void Win32Platform::WriteRedirected(std::u16string_view message) {
  win32::ToAnsiCodePage(message, &redirected_);
  const DWORD size = static_cast<DWORD>(redirected_.size());
  DWORD written = 0;
  if (size > 0) WriteFile(output_, redirected_.data(), size, &written, nullptr);
}

void Win32Platform::SetConsoleTitle(std::u16string_view title) {
  const std::u16string owned(title);
  SetConsoleTitleW(win32::Wide(owned));
}

// The console keeps the title a program set only while that program runs.
void Win32Platform::RestoreConsoleTitle() {}

void Win32Platform::ShowFailure(std::u16string_view first, std::u16string_view second) {
  ShowMessageBox(first);
  ShowMessageBox(second);
}

// Unconverted, to the console only: when standard error is no console nothing shows.
void Win32Platform::WriteStartupFailure(std::u16string_view text) { WriteUnits(GetStdHandle(STD_ERROR_HANDLE), text); }

}  // namespace velkor

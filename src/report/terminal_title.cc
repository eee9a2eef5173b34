#include "report/terminal_title.h"

#include <string>

#include "text/ansi_text.h"

namespace velkor {

TerminalTitle::TerminalTitle(Platform& platform, std::u16string_view title) : platform_(platform) {
  if (!platform_.OutputIsTerminal()) return;
  std::string text = ToAnsi(title);
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';  // a control byte would end the sequence
  }
  // Push the current title on the terminal's title stack, then set ours.
  platform_.Write(OutputStream::Out, "\x1b[22;0t\x1b]0;" + text + "\x07");
  set_ = true;
}

TerminalTitle::~TerminalTitle() {
  if (set_) platform_.Write(OutputStream::Out, "\x1b[23;0t");
}

}  // namespace velkor

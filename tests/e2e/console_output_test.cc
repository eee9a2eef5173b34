// The built velkor's report on a real pseudo-terminal and redirected to a pipe.
#include <gtest/gtest.h>

#include <string>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace velkor::testing {
namespace {

const std::string kTitleSet = "\x1b[22;0t\x1b]0;Velkor and Add ID3 v1 Tag\x07";
const std::string kTitleRestore = "\x1b[23;0t";
const std::string kNormal = "\x1b[37;40m";
const std::string kError = "\x1b[95;40m";
const std::string kReset = "\x1b[0m";

const std::string kEnglishUsage =
    "Velkor 3.0\t\t(c) 2026 The Velkor developers\nRenames files and adds ID3 v1.1 tags\n\n"
    "Call format:\n\tVelkor file1.xml [file2.xml...]";
const std::string kRussianUsage =
    "Velkor 3.0\t\t(c) 2026 Разработчики Velkor\nПереименование файлов и добавление тега ID3 v1.1\n\n"
    "Формат вызова:\n\tVelkor file1.xml [file2.xml...]";

// What a terminal receives for one printed line (the terminal turns LF into CR LF).
std::string Painted(const std::string& colour, const std::string& line) { return colour + line + kReset + "\r\n"; }

TEST(RedirectedOutput, UsageIsPlainTextWithoutALastLineEnd) {
  RunResult en = RunVelkor({}, "C.UTF-8");
  EXPECT_EQ(en.exit_code, 254);
  EXPECT_EQ(en.out, kEnglishUsage);
  EXPECT_EQ(en.err, "");

  // The language follows the locale's name even where that locale is not installed.
  RunResult ru = RunVelkor({}, "ru_RU.UTF-8");
  EXPECT_EQ(ru.exit_code, 254);
  EXPECT_EQ(ru.out, kRussianUsage);
}

TEST(RedirectedOutput, MissingJobFilesAreReportedAndTheRunGoesOn) {
  TempDir dir;
  RunResult en = RunVelkor({"gone.xml", "100%s!1!.xml"}, "C.UTF-8", 0, dir.path());
  EXPECT_EQ(en.exit_code, 0);
  EXPECT_EQ(en.out,
            "File 'gone.xml' does not exist: No such file or directory\n"
            "File '100%s!1!.xml' does not exist: No such file or directory\n");
  EXPECT_EQ(en.err, "");
  EXPECT_EQ(en.out.find('\x1b'), std::string::npos);

  RunResult ru = RunVelkor({"gone.xml"}, "ru_RU.UTF-8", 0, dir.path());
  EXPECT_EQ(ru.exit_code, 0);
  const std::string prefix = "Файл 'gone.xml' не существует: ";
  EXPECT_EQ(ru.out.substr(0, prefix.size()), prefix);
  EXPECT_EQ(ru.out.back(), '\n');
  EXPECT_EQ(ru.out.find('\r'), std::string::npos);
}

TEST(RedirectedOutput, AClosedPipeDoesNotEndTheBatch) {
  // Enough reports to fill the pipe long after the reader has gone.
  std::string args;
  for (int i = 0; i < 3000; ++i) args += " missing-" + std::to_string(i) + ".xml";
  RunOptions options;
  options.env = {"LC_ALL=C.UTF-8", "PATH=/usr/bin:/bin"};
  RunResult result = RunProgram("/bin/bash", {"-c", "set -o pipefail; '" VELKOR_BINARY "'" + args + " | head -c 1 >/dev/null"},
                                options);
  EXPECT_EQ(result.exit_code, 0) << "velkor was killed by SIGPIPE";
}

TEST(TerminalOutput, UsageIsFourPaintedLinesUnderTheTitle) {
  RunResult result = RunVelkor({}, "C.UTF-8", 80);
  EXPECT_EQ(result.exit_code, 254);
  EXPECT_EQ(result.out, kTitleSet + Painted(kNormal, "Velkor 3.0\t\t(c) 2026 The Velkor developers") +
                            Painted(kNormal, "Renames files and adds ID3 v1.1 tags") +
                            Painted(kNormal, "Call format:") +
                            Painted(kNormal, "\tVelkor file1.xml [file2.xml...]") + kTitleRestore);
}

TEST(TerminalOutput, NoColorKeepsTheWrappingButDropsTheColours) {
  RunResult result = RunVelkor({}, "ru_RU.UTF-8", 80, "", {"NO_COLOR=1"});
  EXPECT_EQ(result.out, kTitleSet.substr(0, kTitleSet.find(']') + 3) + "Velkor и добавление тегов ID3 v1\x07" +
                            "Velkor 3.0\t\t(c) 2026 Разработчики Velkor\r\n"
                            "Переименование файлов и добавление тега ID3 v1.1\r\n"
                            "Формат вызова:\r\n"
                            "\tVelkor file1.xml [file2.xml...]\r\n" +
                            kTitleRestore);
}

// "File '<path>' does not exist: No such file or directory" is 49 units around the path.
TEST(TerminalOutput, LinesWrapAtWidthMinusOneOnAnEightyColumnTerminal) {
  TempDir dir;
  auto report = [&](const std::string& path) {
    RunResult result = RunVelkor({path}, "C.UTF-8", 80, dir.path());
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.out.substr(0, kTitleSet.size()), kTitleSet);
    std::string body = result.out.substr(kTitleSet.size());
    return body.substr(0, body.size() - kTitleRestore.size());
  };
  const std::string suffix = "' does not exist: No such file or directory";

  std::string a29(29, 'a');  // 78 units: printed whole
  EXPECT_EQ(report(a29), Painted(kError, "File '" + a29 + suffix));

  std::string a30(30, 'a');  // 79 units: broken at its last space although it would fit
  EXPECT_EQ(report(a30), Painted(kError, "File '" + a30 + "' does not exist: No such file or") +
                             Painted(kError, "directory"));

  std::string spaced(80, 'b');  // spaces at units 79 and 80: the first is consumed
  spaced[73] = spaced[74] = ' ';
  EXPECT_EQ(report(spaced), Painted(kError, "File '" + spaced.substr(0, 73)) +
                                Painted(kError, spaced.substr(74) + suffix));

  std::string p100(100, 'p');  // no space after unit 4: a hard cut at 79 units
  EXPECT_EQ(report(p100), Painted(kError, "File") + Painted(kError, "'" + std::string(78, 'p')) +
                              Painted(kError, std::string(22, 'p') + suffix));
}

}  // namespace
}  // namespace velkor::testing

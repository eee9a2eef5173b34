// Whole runs of the built velkor over job files in temp folders: the report's bytes, the
// exit code, the files on disk and every byte of the tags written.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>

#include <string>

#include "support/locale.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace velkor::testing {
namespace {

const std::string kAudio(1000, 'a');  // stands in for audio data; never read but its end

// The 128 bytes a tag must hold, laid out field by field.
std::string Tag(const std::string& title, const std::string& artist, const std::string& album,
                const std::string& year, const std::string& comment, unsigned char track, unsigned char genre) {
  auto field = [](const std::string& text, size_t size) { return text.substr(0, size) + std::string(size - std::min(size, text.size()), '\0'); };
  std::string tag = "TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) +
                    field(comment, 28) + '\0' + static_cast<char>(track) + static_cast<char>(genre);
  EXPECT_EQ(tag.size(), 128u);
  return tag;
}

class JobRun : public ::testing::Test {
 protected:
  void Audio(const std::string& name, const std::string& bytes = kAudio) { WriteFile(dir_ / name, bytes); }
  void Job(const std::string& name, const std::string& xml) { WriteFile(dir_ / name, xml); }
  RunResult Run(const std::vector<std::string>& args, const std::string& locale = "C.UTF-8", int width = 0) {
    return RunVelkor(args, locale, width, dir_.path());
  }
  std::string Read(const std::string& name) { return ReadFile(dir_ / name); }
  bool Exists(const std::string& name) { return FileExists(dir_ / name); }

  TempDir dir_;
};

TEST_F(JobRun, EveryRowOfTheOutcomeTable) {
  Audio("plain.mp3");
  Audio("rename-only.mp3");
  Audio("tag-only.mp3");
  Audio("both.mp3");
  Audio("blocked.mp3");
  Audio("taken.mp3", "already here");
  Audio("tagged.mp3", kAudio + Tag("Old", "", "", "", "", 1, 2));
  Audio("readonly.mp3");
  chmod((dir_ / "readonly.mp3").c_str(), 0444);
  Job("job.xml",
      "<job>\n"
      "  <file newName='x.mp3' title='no source'/>\n"
      "  <file oldName='plain.mp3'/>\n"
      "  <file oldName='rename-only.mp3' newName='renamed.mp3'/>\n"
      "  <file oldName='tag-only.mp3' title='Only a tag' track='3' genre='17'/>\n"
      "  <file oldName='both.mp3' newName='both-new.mp3' artist='Someone' year='2003'/>\n"
      "  <file oldName='blocked.mp3' newName='taken.mp3' title='never written'/>\n"
      "  <file oldName='tagged.mp3' title='ignored'/>\n"
      "  <file oldName='readonly.mp3' comment='c'/>\n"
      "</job>\n");

  RunResult result = Run({"job.xml"});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            "Processing file 'job.xml':\n"
            "Source file name isn't specified for file #1. This file is skiped.\n"
            "Target file name isn't specified for file #2, neither ID3 tag information is provided. "
            "This file is skiped.\n"
            "File 'rename-only.mp3' was renamed to 'renamed.mp3'.\n"
            "ID3 v1.1 tag was added to file 'tag-only.mp3'.\n"
            "File 'both.mp3' was renamed to 'both-new.mp3'.\n"
            "ID3 v1.1 tag was added to file 'both-new.mp3'.\n"
            "Cannot rename file 'blocked.mp3' to 'taken.mp3'.\n"
            "File 'tagged.mp3' contains ID3 tag.\n"
            "Cannot open file 'readonly.mp3' or an error occurred while reading it.\n");

  EXPECT_EQ(Read("plain.mp3"), kAudio);
  EXPECT_FALSE(Exists("rename-only.mp3"));
  EXPECT_EQ(Read("renamed.mp3"), kAudio) << "a rename alone adds no tag";
  EXPECT_EQ(Read("tag-only.mp3"), kAudio + Tag("Only a tag", "", "", "", "", 3, 17));
  EXPECT_FALSE(Exists("both.mp3"));
  EXPECT_EQ(Read("both-new.mp3"), kAudio + Tag("", "Someone", "", "2003", "", 0, 255));
  EXPECT_EQ(Read("blocked.mp3"), kAudio);
  EXPECT_EQ(Read("taken.mp3"), "already here");
  EXPECT_EQ(Read("tagged.mp3"), kAudio + Tag("Old", "", "", "", "", 1, 2));
  EXPECT_EQ(Read("readonly.mp3"), kAudio);
  EXPECT_FALSE(Exists("x.mp3"));
}

TEST_F(JobRun, AlbumDefaultsCountAsTagInformationAndFillTheGaps) {
  Audio("one.mp3");
  Audio("two.mp3");
  Job("job.xml",
      "<album title='The Album' artist='Band' genre='8' year='1999'>"
      "<file oldName='one.mp3'/>"
      "<disc><file oldName='two.mp3' title='Two' artist='Guest' genre='Rock' year='03'/></disc>"
      "</album>");
  RunResult result = Run({"job.xml"});
  EXPECT_EQ(result.out,
            "Processing file 'job.xml':\n"
            "ID3 v1.1 tag was added to file 'one.mp3'.\n"
            "ID3 v1.1 tag was added to file 'two.mp3'.\n");
  EXPECT_EQ(Read("one.mp3"), kAudio + Tag("", "Band", "The Album", "1999", "", 0, 8));
  EXPECT_EQ(Read("two.mp3"), kAudio + Tag("Two", "Guest", "The Album", "03", "", 0, 255));
}

TEST_F(JobRun, ASecondRunAndAJobNamedTwiceFindTheFilesAsTheFirstLeftThem) {
  Audio("a.mp3");
  Audio("b.mp3");
  Job("job.xml", "<j><file oldName='a.mp3' newName='A.mp3' title='A'/><file oldName='b.mp3' title='B'/></j>");
  RunResult result = Run({"job.xml", "job.xml"});
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.out,
            "Processing file 'job.xml':\n"
            "File 'a.mp3' was renamed to 'A.mp3'.\n"
            "ID3 v1.1 tag was added to file 'A.mp3'.\n"
            "ID3 v1.1 tag was added to file 'b.mp3'.\n"
            "Processing file 'job.xml':\n"
            "Cannot rename file 'a.mp3' to 'A.mp3'.\n"
            "File 'b.mp3' contains ID3 tag.\n");
  EXPECT_EQ(Read("A.mp3"), kAudio + Tag("A", "", "", "", "", 0, 255));
  EXPECT_EQ(Read("b.mp3"), kAudio + Tag("B", "", "", "", "", 0, 255));
}

TEST_F(JobRun, AMalformedJobFileIsReportedAloneBetweenGoodOnes) {
  Audio("a.mp3");
  Job("good.xml", "<j><file oldName='a.mp3' newName='b.mp3'/></j>");
  Job("bad.xml", "<j>\n  <file oldName='b.mp3' newName='c.mp3'>\n</j>\n");
  Job("good2.xml", "<j><file oldName='b.mp3' newName='d.mp3'/></j>");
  RunResult result = Run({"good.xml", "bad.xml", "good2.xml"});
  EXPECT_EQ(result.exit_code, 0);
  const std::string first = "Processing file 'good.xml':\nFile 'a.mp3' was renamed to 'b.mp3'.\n";
  const std::string parse_error = "While parsing XML document 'bad.xml' an error 0x";
  const std::string last = "Processing file 'good2.xml':\nFile 'b.mp3' was renamed to 'd.mp3'.\n";
  ASSERT_GE(result.out.size(), first.size() + parse_error.size() + last.size());
  EXPECT_EQ(result.out.substr(0, first.size()), first);
  EXPECT_EQ(result.out.substr(first.size(), parse_error.size()), parse_error);
  EXPECT_EQ(result.out.substr(result.out.size() - last.size()), last);
  std::string error_line = result.out.substr(first.size(), result.out.size() - first.size() - last.size());
  EXPECT_NE(error_line.find(" occurred on line 3 position "), std::string::npos) << error_line;
  EXPECT_EQ(std::count(error_line.begin(), error_line.end(), '\n'), 1) << error_line;
  EXPECT_EQ(result.out.find("Processing file 'bad.xml'"), std::string::npos);
  EXPECT_FALSE(Exists("c.mp3"));
  EXPECT_EQ(Read("d.mp3"), kAudio);
}

TEST_F(JobRun, PathsWithPercentAndExclamationMarksPrintUnchanged) {
  Audio("100%s!1!.mp3");
  Job("50%d!2!.xml", "<j><file oldName='100%s!1!.mp3' newName='%1!s! %%.mp3' track='7'/></j>");
  RunResult result = Run({"50%d!2!.xml"});
  EXPECT_EQ(result.out,
            "Processing file '50%d!2!.xml':\n"
            "File '100%s!1!.mp3' was renamed to '%1!s! %%.mp3'.\n"
            "ID3 v1.1 tag was added to file '%1!s! %%.mp3'.\n");
  EXPECT_EQ(Read("%1!s! %%.mp3"), kAudio + Tag("", "", "", "", "", 7, 255));
}

TEST_F(JobRun, RussianReportOfAFullRun) {
  Audio("a.mp3");
  Audio("b.mp3", kAudio + Tag("", "", "", "", "", 0, 0));
  Job("job.xml",
      "<j><file/><file oldName='b.mp3'/><file oldName='a.mp3' newName='песня.mp3' title='Песня'/>"
      "<file oldName='b.mp3' title='x'/><file oldName='нет.mp3' title='x'/></j>");
  RunResult result = Run({"job.xml"}, "ru_RU.UTF-8");
  EXPECT_EQ(result.out,
            "Обрабатывается файл 'job.xml':\n"
            "Для файла №1 не указано исходное имя файла. Файл будет пропущен.\n"
            "Для файла №2 не указано новое имя файла и нет информации тега ID3. Файл будет пропущен.\n"
            "Файл 'a.mp3' переименован в 'песня.mp3'.\n"
            "В файл 'песня.mp3' был добавлен тег ID3 v1.1.\n"
            "Файл 'b.mp3' уже содержит тег ID3.\n"
            "Не удалось открыть файл 'нет.mp3' или произошла ошибка при его чтении.\n");
  // The locale's charset is UTF-8 (the Russian locale need not be installed), so the
  // title's bytes are UTF-8 too.
  EXPECT_EQ(Read("песня.mp3"), kAudio + Tag("Песня", "", "", "", "", 0, 255));
}

// In a single-byte charset the report and the tags are in that charset, and a path it
// cannot spell is refused instead of being guessed at.
TEST_F(JobRun, ASingleByteCharsetForReportTagsAndPaths) {
  ASSERT_TRUE(UseLocale("ru_RU.CP1251")) << "ru_RU.CP1251: " << LocaleHint();
  std::setlocale(LC_ALL, "C");
  Audio("a.mp3");
  Audio("b.mp3");
  Job("job.xml", "<j><file oldName='a.mp3' newName='\xD0\xB4\xD0\xB0.mp3' title='\xD0\x94\xD0\xB0'/>"
                 "<file oldName='b.mp3' newName='\xE6\x97\xA5.mp3' title='x'/></j>");  // да, Да; 日
  RunResult result = Run({"job.xml"}, "ru_RU.CP1251");
  EXPECT_EQ(result.out,
            "\xCE\xE1\xF0\xE0\xE1\xE0\xF2\xFB\xE2\xE0\xE5\xF2\xF1\xFF \xF4\xE0\xE9\xEB 'job.xml':\n"  // Обрабатывается файл
            "\xD4\xE0\xE9\xEB 'a.mp3' \xEF\xE5\xF0\xE5\xE8\xEC\xE5\xED\xEE\xE2\xE0\xED \xE2 '\xE4\xE0.mp3'.\n"
            "\xC2 \xF4\xE0\xE9\xEB '\xE4\xE0.mp3' \xE1\xFB\xEB \xE4\xEE\xE1\xE0\xE2\xEB\xE5\xED \xF2\xE5\xE3 ID3 v1.1.\n"
            "\xCD\xE5 \xF3\xE4\xE0\xEB\xEE\xF1\xFC \xEF\xE5\xF0\xE5\xE8\xEC\xE5\xED\xEE\xE2\xE0\xF2\xFC "
            "\xF4\xE0\xE9\xEB 'b.mp3' \xE2 '?.mp3'.\n");
  EXPECT_EQ(Read("\xE4\xE0.mp3"), kAudio + Tag("\xC4\xE0", "", "", "", "", 0, 255));  // the name and title in CP1251
  EXPECT_EQ(Read("b.mp3"), kAudio);
  EXPECT_FALSE(Exists("?.mp3"));
}

TEST_F(JobRun, EachClassInItsColourOnATerminal) {
  Audio("a.mp3");
  Audio("t.mp3", kAudio + Tag("", "", "", "", "", 0, 0));
  Job("job.xml", "<j><file oldName='a.mp3' title='A'/><file oldName='t.mp3' title='T'/><file/></j>");
  RunResult result = Run({"job.xml"}, "C.UTF-8", 80);
  EXPECT_NE(result.out.find("\x1b[96;40mProcessing file 'job.xml':\x1b[0m\r\n"
                            "\x1b[37;40mID3 v1.1 tag was added to file 'a.mp3'.\x1b[0m\r\n"
                            "\x1b[93;40mFile 't.mp3' contains ID3 tag.\x1b[0m\r\n"
                            "\x1b[95;40mSource file name isn't specified for file #3. This file is skiped.\x1b[0m\r\n"),
            std::string::npos)
      << result.out;
}

TEST_F(JobRun, AFailedTagWriteIsReportedAndLeavesTheFileAsItWas) {
  Audio("big.mp3", std::string(9000, 'a'));
  Audio("small.mp3", std::string(500, 'a'));
  Job("job.xml", "<j><file oldName='big.mp3' title='too far'/><file oldName='small.mp3' title='fits'/></j>");
  RunOptions options;
  options.env = {"LC_ALL=C.UTF-8", "PATH=/usr/bin:/bin"};
  options.cwd = dir_.path();
  // A file-size limit of 8 KiB: the tag cannot go after the 9000 bytes of big.mp3.
  RunResult result = RunProgram("/bin/bash", {"-c", "ulimit -f 8; exec '" VELKOR_BINARY "' job.xml"}, options);
  EXPECT_EQ(result.exit_code, 0);
  EXPECT_EQ(result.out,
            "Processing file 'job.xml':\n"
            "Cannot write ID3 tag to file 'big.mp3'.\n"
            "ID3 v1.1 tag was added to file 'small.mp3'.\n");
  EXPECT_EQ(Read("big.mp3"), std::string(9000, 'a'));
  EXPECT_EQ(Read("small.mp3"), std::string(500, 'a') + Tag("fits", "", "", "", "", 0, 255));
}

}  // namespace
}  // namespace velkor::testing

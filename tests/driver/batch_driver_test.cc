// Faults a real run can hardly provoke, injected through the platform: each ends only
// its own job file or entry, is reported, and leaves the files as they were.
#include "driver/batch_driver.h"

#include <gtest/gtest.h>

#include <new>

#include "reader/job_file_failure.h"
#include "platform/posix/posix_platform.h"
#include "support/support.h"

namespace velkor::testing {
namespace {

enum class Fault { None, Runtime };

// The real platform with its output captured, in English and UTF-8.
class CapturedPlatform : public PosixPlatform {
 public:
  std::string MessagesLocaleName() override { return "en_US.UTF-8"; }
  std::string CharsetName() override { return "UTF-8"; }
  bool OutputIsTerminal() override { return false; }
  bool ErrorIsTerminal() override { return error_terminal; }
  int TerminalWidth() override { return 0; }
  void Write(OutputStream stream, std::string_view bytes) override {
    (stream == OutputStream::Out ? out : err).append(bytes);
  }
  std::string out, err;
  bool error_terminal = false;
};

// The captured platform with one fault. The job files "oom.xml" and "lost.xml" fail as the
// reader would when memory or the file runs out.
class FaultyPlatform : public PlatformWrapper {
 public:
  FaultyPlatform(Fault fault, bool error_terminal) : PlatformWrapper(real_), fault_(fault) {
    real_.error_terminal = error_terminal;
  }

  bool InitRuntime() override { return fault_ != Fault::Runtime && PlatformWrapper::InitRuntime(); }
  SystemError PathStatus(const NativePath& path) override {
    if (path == "oom.xml") throw std::bad_alloc();
    if (path == "lost.xml") throw JobFileFailure(u"The reader lost \x1b]0;its\a file.", u"I/O error");
    return PlatformWrapper::PathStatus(path);
  }

  const std::string& out() const { return real_.out; }
  const std::string& err() const { return real_.err; }

 private:
  CapturedPlatform real_;
  Fault fault_;
};

std::string Replace(std::string text, const std::string& to) {  // every $ by `to`
  for (std::size_t at; (at = text.find('$')) != std::string::npos;) text.replace(at, 1, to);
  return text;
}

TEST(BatchDriverTest, InjectedFaults) {
  const struct {
    const char* name;
    Fault fault;
    bool error_terminal;  // standard error is a terminal
    std::vector<std::string> job_files;  // $ is the temp folder
    int exit_code;
    std::string out, err;
  } rows[] = {
      {"the runtime does not start", Fault::Runtime, false, {"$/job.xml"}, kExitRuntimeFailed, "",
       "Fatal Error: MFC initialization failed.\n"},
      {"out of memory and a lost file end only their job file", Fault::None, false,
       {"oom.xml", "$/empty.xml", "lost.xml", "$/empty.xml"}, kExitSuccess,
       "Processing file '$/empty.xml':\nProcessing file '$/empty.xml':\n",
       "Out of memory.\nThe reader lost \x1b]0;its\a file.\nI/O error\n"},
      {"a terminal on standard error gets control characters masked", Fault::None, true, {"lost.xml"}, kExitSuccess,
       "", "The reader lost ?]0;its? file.\nI/O error\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    const std::string audio(500, 'a');
    WriteFile(dir / "a.mp3", audio);
    WriteFile(dir / "empty.xml", "<album/>");
    WriteFile(dir / "job.xml", "<album><file oldName='" + dir / "a.mp3' title='A'/></album>");
    std::vector<std::string> job_files;
    for (const std::string& name : row.job_files) job_files.push_back(Replace(name, dir.path()));
    FaultyPlatform platform(row.fault, row.error_terminal);
    EXPECT_EQ(RunBatch(platform, job_files), row.exit_code);
    EXPECT_EQ(platform.out(), Replace(row.out, dir.path()));
    EXPECT_EQ(platform.err(), row.err);
    EXPECT_EQ(ReadFile(dir / "a.mp3"), audio);
  }
}

}  // namespace
}  // namespace velkor::testing

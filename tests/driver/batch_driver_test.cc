#include "driver/batch_driver.h"

#include <gtest/gtest.h>

#include <new>
#include <set>

#include "driver/job_file_failure.h"
#include "platform/posix/posix_platform.h"
#include "support/temp_dir.h"

namespace velkor {
namespace {

// The real platform with standard output and error captured, and faults on request.
class CapturingPlatform : public PlatformWrapper {
 public:
  CapturingPlatform() : PlatformWrapper(real_) {}

  bool InitRuntime() override { return runtime_starts && PlatformWrapper::InitRuntime(); }
  std::string MessagesLocaleName() override { return "en_US.UTF-8"; }
  std::string CharsetName() override { return "UTF-8"; }
  bool OutputIsTerminal() override { return false; }
  int TerminalWidth() override { return 0; }
  void Write(OutputStream stream, std::string_view bytes) override {
    (stream == OutputStream::Out ? out : err).append(bytes);
  }
  SystemError PathStatus(const std::string& path) override {
    if (throw_bad_alloc_for.count(path)) throw std::bad_alloc();
    if (throw_failure_for.count(path)) throw JobFileFailure(u"The reader lost its file.", u"I/O error");
    return PlatformWrapper::PathStatus(path);
  }

  bool runtime_starts = true;
  std::set<std::string> throw_bad_alloc_for, throw_failure_for;
  std::string out, err;

 private:
  PosixPlatform real_;
};

TEST(RunBatch, ExitCodesOfStartUp) {
  CapturingPlatform broken;
  broken.runtime_starts = false;
  EXPECT_EQ(RunBatch(broken, {"job.xml"}), kExitRuntimeFailed);
  EXPECT_EQ(broken.err, "Fatal Error: MFC initialization failed.\n");
  EXPECT_EQ(broken.out, "");

  CapturingPlatform usage;
  EXPECT_EQ(RunBatch(usage, {}), kExitUsage);
  EXPECT_EQ(usage.out.substr(0, 12), "Velkor 3.0\t\t");
  EXPECT_EQ(usage.err, "");
}

TEST(RunBatch, AFailingJobFileEndsOnlyItselfAndTheExitCodeStaysZero) {
  testing::TempDir dir;
  const std::string good = dir / "good.xml";
  testing::WriteFile(good, "<album/>");
  CapturingPlatform platform;
  platform.throw_bad_alloc_for = {"oom.xml"};
  platform.throw_failure_for = {"broken.xml"};

  EXPECT_EQ(RunBatch(platform, {"oom.xml", good, "broken.xml", good}), kExitSuccess);
  EXPECT_EQ(platform.err, "Out of memory.\nThe reader lost its file.\nI/O error\n");
  const std::string processing = "Processing file '" + good + "':\n";
  EXPECT_EQ(platform.out.substr(0, processing.size()), processing);
  EXPECT_NE(platform.out.find(processing, processing.size()), std::string::npos) << platform.out;
}

}  // namespace
}  // namespace velkor

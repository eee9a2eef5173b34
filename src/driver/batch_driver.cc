#include "driver/batch_driver.h"

#include <memory>
#include <new>

#include "driver/entry_processor.h"
#include "reader/job_file_failure.h"
#include "reader/job_file_reader.h"
#include "report/console_reporter.h"
#include "report/console_title.h"
#include "report/message_catalogue.h"

namespace velkor {
namespace {

// One job file inside its recovery scope: a failure ends this job file only.
void ProcessOneJobFile(RunContext& run, const NativePath& job_file) {
  try {
    SystemError error = run.platform.PathStatus(job_file);
    if (error != 0) {
      std::u16string shown_name, shown_reason;
      run.reporter.ReportText(IDS_FILE_NOT_FOUND,
                              {run.reporter.Value(run.platform.PathForDisplay(job_file), &shown_name),
                               run.reporter.Value(run.platform.ErrorText(error), &shown_reason)},
                              ReportClass::Error);
      return;
    }
    ProcessJobFile(run, job_file);
  } catch (const JobFileFailure& failure) {
    run.platform.ShowFailure(failure.description(), failure.message());
  } catch (const std::bad_alloc&) {
    run.platform.ShowFailure(u"", run.platform.LoadText(IDS_OUT_OF_MEMORY));
  }
}

// Everything but the end by a stop signal, which waits until the title is restored.
int RunJobFiles(Platform& platform, const std::vector<NativePath>& job_files) {
  if (!platform.InitRuntime()) {
    platform.WriteStartupFailure(LoadTextRaw(platform, IDS_MFC_INIT_FAILED));
    return kExitRuntimeFailed;
  }

  ConsoleTitle title(platform, platform.LoadText(IDS_CONSOLE_TITLE));
  ConsoleReporter reporter(platform);
  reporter.InitReporter();

  if (job_files.empty()) {
    reporter.Report(platform.LoadText(IDS_USAGE), ReportClass::Normal);
    return kExitUsage;
  }

  ReaderFailure failure;
  std::unique_ptr<JobFileReader> reader = CreateJobFileReader(platform, &failure);
  if (failure == ReaderFailure::XmlLibraryFailed) {
    reporter.Report(platform.LoadText(IDS_COM_INIT_FAILED), ReportClass::Fatal);
    return kExitXmlInitFailed;
  }
  if (!reader) {
    reporter.Report(platform.LoadText(IDS_XMLDOM_CREATE_FAILED), ReportClass::Fatal);
    return kExitReaderFailed;
  }

  RunContext run{platform, reporter, *reader};
  for (const NativePath& job_file : job_files) {
    if (platform.StopRequested()) break;
    ProcessOneJobFile(run, job_file);
  }
  return kExitSuccess;
}

}  // namespace

int RunBatch(Platform& platform, const std::vector<NativePath>& job_files) {
  int exit_code = RunJobFiles(platform, job_files);
  platform.EndIfStopRequested();
  return exit_code;
}

}  // namespace velkor

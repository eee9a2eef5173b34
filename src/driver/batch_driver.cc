#include "driver/batch_driver.h"

#include <memory>
#include <new>

#include "driver/entry_processor.h"
#include "driver/job_file_failure.h"
#include "driver/job_file_reader.h"
#include "report/console_reporter.h"
#include "report/message_catalogue.h"
#include "report/terminal_title.h"
#include "text/ansi_text.h"

namespace velkor {
namespace {

// Text for standard error: the locale's charset with POSIX line ends.
void WriteError(Platform& platform, std::u16string_view text) {
  platform.Write(OutputStream::Err, ToAnsiWithPosixLineEnds(text));
}

// Two texts, each on a line of its own; an empty one is left out.
void WriteFailure(Platform& platform, std::u16string_view description, std::u16string_view message) {
  for (std::u16string_view text : {description, message}) {
    if (!text.empty()) WriteError(platform, std::u16string(text) + u"\n");
  }
}

// One job file inside its recovery scope: a failure ends this job file only.
void ProcessOneJobFile(RunContext& run, const std::string& job_file) {
  try {
    SystemError error = run.platform.PathStatus(job_file);
    if (error != 0) {
      run.reporter.Report(
          FormatText(IDS_FILE_NOT_FOUND, {run.reporter.Value(FromAnsi(job_file)),
                                          run.reporter.Value(FromAnsi(run.platform.ErrorText(error)))}),
          ReportClass::Error);
      return;
    }
    ProcessJobFile(run, job_file);
  } catch (const JobFileFailure& failure) {
    WriteFailure(run.platform, failure.description(), failure.message());
  } catch (const std::bad_alloc&) {
    WriteFailure(run.platform, u"", LoadText(IDS_OUT_OF_MEMORY));
  }
}

// Everything but the end by a stop signal, which waits until the title is restored.
int RunJobFiles(Platform& platform, const std::vector<std::string>& job_files) {
  if (!platform.InitRuntime()) {
    WriteError(platform, LoadTextRaw(IDS_MFC_INIT_FAILED));
    return kExitRuntimeFailed;
  }
  SelectLanguage(LanguageForLocale(platform.MessagesLocaleName()));
  SelectAnsiCharset(platform.CharsetName());

  TerminalTitle title(platform, LoadText(IDS_CONSOLE_TITLE));
  ConsoleReporter reporter(platform);
  reporter.InitReporter();

  if (job_files.empty()) {
    reporter.Report(LoadText(IDS_USAGE), ReportClass::Normal);
    return kExitUsage;
  }

  if (!InitXmlLibrary()) {
    reporter.Report(LoadText(IDS_COM_INIT_FAILED), ReportClass::Fatal);
    return kExitXmlInitFailed;
  }
  std::unique_ptr<JobFileReader> reader = JobFileReader::Create(platform);
  if (!reader) {
    reporter.Report(LoadText(IDS_XMLDOM_CREATE_FAILED), ReportClass::Fatal);
    ShutdownXmlLibrary();
    return kExitReaderFailed;
  }

  RunContext run{platform, reporter, *reader};
  for (const std::string& job_file : job_files) {
    if (platform.StopRequested()) break;
    ProcessOneJobFile(run, job_file);
  }

  reader.reset();
  ShutdownXmlLibrary();
  return kExitSuccess;
}

}  // namespace

int RunBatch(Platform& platform, const std::vector<std::string>& job_files) {
  int exit_code = RunJobFiles(platform, job_files);
  platform.EndIfStopRequested();
  return exit_code;
}

}  // namespace velkor

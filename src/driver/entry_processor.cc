#include "driver/entry_processor.h"

#include "report/console_reporter.h"
#include "report/message_catalogue.h"
#include "text/ansi_text.h"

namespace velkor {

void ProcessJobFile(RunContext& run, const std::string& job_file) {
  run.reporter.Report(FormatText(IDS_PROCESSING_FILE, {FromAnsi(job_file)}), ReportClass::Header);
}

}  // namespace velkor

#include "driver/entry_processor.h"

#include <cstdint>

#include "reader/job_file_reader.h"
#include "id3/id3v1_tag.h"
#include "platform/platform.h"
#include "report/console_reporter.h"
#include "report/message_catalogue.h"

namespace velkor {
namespace {

bool HasTagInformation(const TrackEntry& entry, const AlbumDefaults& album) {
  for (const std::u16string* field : {&album.title, &album.artist, &album.genre, &album.year, &entry.track,
                                      &entry.title, &entry.artist, &entry.album, &entry.genre, &entry.year,
                                      &entry.comment}) {
    if (!field->empty()) return true;
  }
  return false;
}

// What an entry's processing converts and builds, kept from entry to entry so that
// their storage is reused.
struct EntryBuffers {
  NativePath old_name;  // the entry's names as the system takes them, converted once each
  NativePath new_name;
  std::string tag_bytes;  // each tag field's text in the system's charset
  std::u16string shown_old, shown_new;  // the names as the report shows them, when masked
};

// A path from a job file that cannot be encoded exactly fails its operation like a
// missing file would.
bool Rename(Platform& platform, const TrackEntry& entry, EntryBuffers* buffers) {
  return platform.PathFromText(entry.oldName, &buffers->old_name) &&
         platform.PathFromText(entry.newName, &buffers->new_name) &&
         platform.MoveFile(buffers->old_name, buffers->new_name) == 0;
}

// `native_target` is `target` as the system takes it; nullptr when the charset cannot spell
// it, which fails like a missing file.
void Tag(RunContext& run, const TrackEntry& entry, const AlbumDefaults& album, const std::u16string& target,
         const NativePath* native_target, EntryBuffers* buffers) {
  Id3v1Tag tag;
  TagFile file;
  ProbeResult probe = native_target ? TagProbe(run.platform, *native_target, &tag, &file) : ProbeResult::OpenFailed;
  const std::u16string_view shown_target = run.reporter.Value(target, &buffers->shown_new);
  switch (probe) {
    case ProbeResult::OpenFailed:
      run.reporter.ReportText(IDS_OPEN_FAILED, {shown_target}, ReportClass::Error);
      return;
    case ProbeResult::HasTag:
      run.reporter.ReportText(IDS_HAS_TAG, {shown_target}, ReportClass::Warning);
      return;
    case ProbeResult::NoTag:
      TagBuilder(run.platform, entry, album, &buffers->tag_bytes, &tag);
      if (AppendTag(file, tag)) {
        run.reporter.ReportText(IDS_TAG_ADDED, {shown_target}, ReportClass::Normal);
      } else {
        run.reporter.ReportText(IDS_TAG_WRITE_FAILED, {shown_target}, ReportClass::Error);
      }
      return;
  }
}

void ProcessEntry(RunContext& run, const TrackEntry& entry, const AlbumDefaults& album, std::int32_t ordinal,
                  EntryBuffers* buffers) {
  const bool has_tag_information = HasTagInformation(entry, album);
  if (entry.oldName.empty()) {
    run.reporter.ReportText(IDS_NO_SOURCE_NAME, {ordinal}, ReportClass::Error);
    return;
  }
  if (entry.newName.empty() && !has_tag_information) {
    run.reporter.ReportText(IDS_NOTHING_TO_DO, {ordinal}, ReportClass::Error);
    return;
  }
  if (!entry.newName.empty()) {
    const bool renamed = Rename(run.platform, entry, buffers);
    const std::u16string_view shown_old = run.reporter.Value(entry.oldName, &buffers->shown_old);
    const std::u16string_view shown_new = run.reporter.Value(entry.newName, &buffers->shown_new);
    if (!renamed) {
      // The old name is gone or the new one is taken: tagging either could hit the wrong file.
      run.reporter.ReportText(IDS_RENAME_FAILED, {shown_old, shown_new}, ReportClass::Error);
      return;
    }
    run.reporter.ReportText(IDS_RENAMED, {shown_old, shown_new}, ReportClass::Normal);
  }
  if (!has_tag_information) return;
  if (!entry.newName.empty()) {
    // The new name was converted for the rename already.
    Tag(run, entry, album, entry.newName, &buffers->new_name, buffers);
  } else {
    const bool spelled = run.platform.PathFromText(entry.oldName, &buffers->old_name);
    Tag(run, entry, album, entry.oldName, spelled ? &buffers->old_name : nullptr, buffers);
  }
}

}  // namespace

void ProcessJobFile(RunContext& run, const NativePath& job_file) {
  const std::u16string job_name = run.platform.PathForDisplay(job_file);
  std::u16string masked_name, masked_reason;
  const std::u16string_view shown_job_name = run.reporter.Value(job_name, &masked_name);
  ParseError error;
  if (!run.reader.LoadJobFile(job_file, &error)) {
    run.reporter.Report(FormatNumbered(run.platform, IDS_XML_PARSE_ERROR,
                                       {shown_job_name, error.code, error.line, error.position,
                                        run.reporter.Value(error.reason, &masked_reason)}),
                        ReportClass::Error);
    return;
  }
  run.reporter.ReportText(IDS_PROCESSING_FILE, {shown_job_name}, ReportClass::Header);

  AlbumDefaults album;
  run.reader.ReadAlbumDefaults(&album);
  run.reader.OpenEntries();
  TrackEntry entry;
  EntryBuffers buffers;
  for (std::int32_t ordinal = 1; !run.platform.StopRequested() && run.reader.NextEntry(&entry); ++ordinal) {
    ProcessEntry(run, entry, album, ordinal, &buffers);
  }
}

}  // namespace velkor

// The attributes a job file's elements may carry, and the record fields they fill.
#include "reader/job_file_reader.h"

namespace velkor {

const std::array<FieldBinding<AlbumDefaults>, 4> kAlbumBindings = {{
    {u"title", &AlbumDefaults::title},
    {u"artist", &AlbumDefaults::artist},
    {u"genre", &AlbumDefaults::genre},
    {u"year", &AlbumDefaults::year},
}};

const std::array<FieldBinding<TrackEntry>, 9> kEntryBindings = {{
    {u"oldName", &TrackEntry::oldName},
    {u"newName", &TrackEntry::newName},
    {u"track", &TrackEntry::track},
    {u"title", &TrackEntry::title},
    {u"artist", &TrackEntry::artist},
    {u"album", &TrackEntry::album},
    {u"genre", &TrackEntry::genre},
    {u"year", &TrackEntry::year},
    {u"comment", &TrackEntry::comment},
}};

}  // namespace velkor

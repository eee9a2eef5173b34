// What a job file says: album defaults from its root element, one entry per file element.
#ifndef VELKOR_RECORDS_JOB_RECORDS_H_
#define VELKOR_RECORDS_JOB_RECORDS_H_

#include <string>

namespace velkor {

// Attributes of the root element. A missing attribute and an empty one are the same.
struct AlbumDefaults {
  std::u16string title;  // the album name, never a track title
  std::u16string artist;
  std::u16string genre;
  std::u16string year;
};

// Attributes of one file element.
struct TrackEntry {
  std::u16string oldName;
  std::u16string newName;
  std::u16string track;
  std::u16string title;
  std::u16string artist;
  std::u16string album;
  std::u16string genre;
  std::u16string year;
  std::u16string comment;
};

}  // namespace velkor

#endif  // VELKOR_RECORDS_JOB_RECORDS_H_

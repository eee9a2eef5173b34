#include "job_fields.h"

#include <stdexcept>

namespace velkor::testing {

TrackEntry Entry(Attributes attributes) {
  TrackEntry entry;
  for (const auto& [name, value] : attributes) {
    if (name == "oldName") entry.oldName = value;
    else if (name == "newName") entry.newName = value;
    else if (name == "track") entry.track = value;
    else if (name == "title") entry.title = value;
    else if (name == "artist") entry.artist = value;
    else if (name == "album") entry.album = value;
    else if (name == "genre") entry.genre = value;
    else if (name == "year") entry.year = value;
    else if (name == "comment") entry.comment = value;
    else throw std::invalid_argument("no file attribute " + name);
  }
  return entry;
}

AlbumDefaults Album(Attributes attributes) {
  AlbumDefaults album;
  for (const auto& [name, value] : attributes) {
    if (name == "title") album.title = value;
    else if (name == "artist") album.artist = value;
    else if (name == "genre") album.genre = value;
    else if (name == "year") album.year = value;
    else throw std::invalid_argument("no root attribute " + name);
  }
  return album;
}

}  // namespace velkor::testing

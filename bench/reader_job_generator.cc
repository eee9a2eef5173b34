#include "reader_job_generator.h"

#include <cstdio>
#include <random>
#include <stdexcept>
#include <vector>

namespace velkor::bench {
namespace {

const std::vector<std::string> kWords = {
    "Love", "Night", "Heart", "Dream", "Fire", "Road", "River", "Blue", "City", "Light", "Shadow", "Song",
    "Rain", "Summer", "Winter", "Golden", "Silver", "Wild", "Ocean", "Stone", "Morning", "Electric",
    "\xD0\x97\xD0\xB2\xD0\xB5\xD0\xB7\xD0\xB4\xD0\xB0",          // Звезда
    "\xD0\x9D\xD0\xBE\xD1\x87\xD1\x8C",                          // Ночь
    "Rock &amp; Roll", "Caf\xC3\xA9",
};

class Words {
 public:
  std::string Take(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
      if (i) text += ' ';
      text += kWords[random_() % kWords.size()];
    }
    return text;
  }
  int Number(int low, int high) { return low + static_cast<int>(random_() % static_cast<unsigned>(high - low + 1)); }

 private:
  std::mt19937 random_{20240501};
};

}  // namespace

long long WriteJobFile(const std::string& path, long long entries) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot write " + path);
  Words words;
  long long size = std::fprintf(file,
                                "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                "<album title=\"Collected Works\" artist=\"Various Artists\" genre=\"12\" "
                                "year=\"2004\">\n");
  std::string artist, album;
  for (long long i = 0; i < entries; ++i) {
    int track = static_cast<int>(i % 14) + 1;
    if (track == 1) {
      artist = words.Take(words.Number(1, 3));
      album = words.Take(words.Number(1, 4));
    }
    std::string title = words.Take(words.Number(1, 5));
    int year = words.Number(1965, 2023);
    size += std::fprintf(file,
                         "  <file oldName=\"/home/user/Music/Incoming/%s/%s/%02d track.mp3\" "
                         "newName=\"/home/user/Music/Library/%s/%s (%d)/%02d - %s.mp3\" track=\"%d\" "
                         "title=\"%s\" artist=\"%s\" album=\"%s\" genre=\"%d\" year=\"%d\" "
                         "comment=\"Ripped from CD %lld\"/>\n",
                         artist.c_str(), album.c_str(), track, artist.c_str(), album.c_str(), year, track,
                         title.c_str(), track, title.c_str(), artist.c_str(), album.c_str(), words.Number(0, 125),
                         year, i);
  }
  size += std::fprintf(file, "</album>\n");
  if (std::fclose(file) != 0) throw std::runtime_error("cannot write " + path);
  return size;
}

}  // namespace velkor::bench

// A quick reading of job files in the plain form nearly all of them are written in: UTF-8,
// an optional XML declaration, elements with ASCII names, attribute values with no markup
// but the five predefined entities, and white space and comments between elements. It
// hands the sink what the XML library's scan would, at a fraction of the cost, and gives up
// at the first thing outside that form, well-formed or not: the XML library then reads the
// file from the start, and it alone judges and describes faults.
#ifndef VELKOR_READER_PLAIN_JOB_FILE_SCAN_H_
#define VELKOR_READER_PLAIN_JOB_FILE_SCAN_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "reader/scan_sink.h"

namespace velkor {

class PlainJobFileScan {
 public:
  // Nesting, attributes per element and the bytes of one tag or comment past these are
  // left to the XML library, which has limits of its own there.
  static constexpr std::size_t kMaxDepth = 256;
  static constexpr std::size_t kMaxAttributes = 64;  // also the most names wanted
  static constexpr std::size_t kMaxPending = 1024 * 1024;

  // `root_names` and `file_names` are the attribute names wanted (ASCII).
  PlainJobFileScan(std::vector<std::string> root_names, std::vector<std::string> file_names, ScanSink* sink);

  // Reads the next bytes of the file; false once the file has left the plain form. The
  // sink may have had some of its elements by then.
  bool Feed(const char* bytes, std::size_t size);
  // The end of the file; false unless the whole file was plain.
  bool Finish();

 private:
  enum class Step { kDone, kNeedMore, kNotPlain };
  enum class Stage { kStart, kProlog, kContent, kEpilog };
  static constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);
  struct Attribute {
    std::string_view name;
    std::string_view raw;  // as written, between the quotes
    std::size_t row;       // of the wanted names, or kNoRow
    bool has_references;
  };

  // Reads what the pending bytes hold, construct by construct.
  bool Scan(bool at_end);
  Step Next();
  // Each reads one construct at `*at` and, when it is whole, leaves `*at` after it.
  Step Declaration(std::size_t* at);
  Step Characters(std::size_t* at, char stop);
  Step Text(std::size_t* at);
  Step Comment(std::size_t* at);
  Step Name(std::size_t* at, std::string_view* name);
  Step ReadAttribute(std::size_t* at, Attribute* attribute);
  Step StartTag(std::size_t* at);
  Step EndTag(std::size_t* at);
  // Finds the rows of the tag's attributes among the wanted `names` (none when nullptr);
  // false when an attribute is repeated.
  bool MatchNames(const std::vector<std::string>* names);
  // Hands the wanted values of the tag just read to the sink.
  void Deliver(const std::vector<std::string>& names, bool root);

  std::vector<std::string> root_names_;
  std::vector<std::string> file_names_;
  ScanSink* sink_;
  std::string pending_;   // bytes not yet read whole
  std::size_t done_ = 0;  // of pending_
  Stage stage_ = Stage::kStart;
  bool failed_ = false;
  bool at_end_ = false;  // no more bytes will come
  bool saw_reference_ = false;  // in the characters last walked
  std::vector<std::string> open_;  // names of the open elements; only the first `depth_` count
  std::size_t depth_ = 0;
  std::vector<Attribute> attributes_;   // of the tag being read
  std::size_t next_row_ = 0;            // after the last name matched
  std::vector<std::string> decoded_;    // values with entities, one per wanted name
  ScanValues values_;
};

}  // namespace velkor

#endif  // VELKOR_READER_PLAIN_JOB_FILE_SCAN_H_

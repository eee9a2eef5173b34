// A library scan for a library that keeps no entity of a document type, and keeps every
// text node until the end of the document; the markup is rewritten, its meaning to a job
// unchanged. Each reference, in text or an attribute value, to an internal entity is
// handed over as its replacement text, itself rewritten; white space
// between tags moves inside the tag before it (`<file a='1'/>\n<file` becomes
// `<file a='1'\n/><file`), keeping its line ends, so that it is no text node at all.
// Files that are not ASCII-compatible, and prologs this does not follow (parameter
// entities, say), go through unchanged.
#ifndef VELKOR_READER_MARKUP_REWRITE_SCAN_H_
#define VELKOR_READER_MARKUP_REWRITE_SCAN_H_

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "reader/job_file_reading.h"

namespace velkor {

class MarkupRewriteScan : public LibraryScan {
 public:
  explicit MarkupRewriteScan(std::unique_ptr<LibraryScan> library) : library_(std::move(library)) {}

  bool Feed(const char* bytes, std::size_t size) override;
  bool Finish() override;
  ParseError Failure() const override { return library_->Failure(); }

 private:
  enum class State { kText, kOpen, kBang, kComment, kCData, kInstruction, kTag, kReference, kAfterTag };

  // Reads the prolog in start_: false while it needs more bytes. Fills entities_, and
  // sets rewriting_ and prolog_end_ when the rest is rewritten.
  bool ReadProlog(bool at_end);
  bool PassStart();
  bool Pass(const char* bytes, std::size_t size);
  void Step(char c);
  // Ends the reference in ref_: its entity's text, or itself.
  void EndReference(bool complete);
  // Ends white space after a tag: inside the tag when `inside`, else after it.
  void EndAfterTag(bool inside);

  std::unique_ptr<LibraryScan> library_;
  std::string start_;  // the first bytes, until the prolog is read
  bool prolog_read_ = false;
  bool rewriting_ = false;
  std::size_t prolog_end_ = 0;  // where the rewriting starts
  std::map<std::string, std::string, std::less<>> entities_;
  std::size_t longest_name_ = 0;
  State state_ = State::kText;
  State before_reference_ = State::kText;
  char quote_ = 0;        // of the attribute value being read
  int quote_depth_ = 0;   // the replacing_ where it opened
  int replacing_ = 0;     // replacement texts being handed over, one within another
  bool slash_ = false;    // a '/' in a tag, held until it shows whether "/>" ends the tag
  std::string tag_end_;   // ">" or "/>", held while the white space after it is read
  std::string space_;     // that white space
  std::string pending_;   // the start of a comment, CDATA section or reference
  std::string out_;
};

}  // namespace velkor

#endif  // VELKOR_READER_MARKUP_REWRITE_SCAN_H_

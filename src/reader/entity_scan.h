// A library scan for a library that reads a document type's internal subset but keeps none
// of its entities: each reference, in text or an attribute value, to an internal entity
// whose value is plain text (no markup, no reference) is handed over as that text. Files
// in UTF-16, and subsets with parameter entities, go through unchanged.
#ifndef VELKOR_READER_ENTITY_SCAN_H_
#define VELKOR_READER_ENTITY_SCAN_H_

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "reader/job_file_reading.h"

namespace velkor {

class EntityScan : public LibraryScan {
 public:
  explicit EntityScan(std::unique_ptr<LibraryScan> library) : library_(std::move(library)) {}

  bool Feed(const char* bytes, std::size_t size) override;
  bool Finish() override;
  ParseError Failure() const override { return library_->Failure(); }

 private:
  enum class State { kText, kOpen, kBang, kComment, kCData, kInstruction, kTag, kReference };

  // Reads the prolog in start_: false while it needs more bytes. Fills entities_.
  bool ReadProlog(bool at_end);
  bool PassStart();
  bool Pass(const char* bytes, std::size_t size);
  void Step(char c);
  // Ends the reference in ref_: its entity's text, or itself.
  void EndReference(bool complete);

  std::unique_ptr<LibraryScan> library_;
  std::string start_;  // the first bytes, until the prolog is read
  bool prolog_read_ = false;
  std::size_t prolog_end_ = 0;  // past the document type, when entities are replaced
  std::map<std::string, std::string, std::less<>> entities_;
  std::size_t longest_name_ = 0;
  State state_ = State::kText;
  State before_reference_ = State::kText;
  char quote_ = 0;        // of the attribute value being read
  std::string pending_;   // the start of a comment, CDATA section or reference
  std::string out_;
  std::size_t read_ = 0;      // bytes past the prolog
  std::size_t replaced_ = 0;  // bytes of replacement text handed over
};

}  // namespace velkor

#endif  // VELKOR_READER_ENTITY_SCAN_H_

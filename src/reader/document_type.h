// The internal subset of a job file's document type declaration, as far as the program's
// own limits need it: the general entities it declares, and what one reference to each
// brings into the document, its nested references followed. Parameter entities are not
// accepted, nor references to external entities: a job file reads nothing from outside.
#ifndef VELKOR_READER_DOCUMENT_TYPE_H_
#define VELKOR_READER_DOCUMENT_TYPE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "reader/expansion_budget.h"

namespace velkor {

// What one reference to an entity brings in.
struct EntityCost {
  std::size_t in_content = 0;    // expansion work, as ExpansionBudget counts it, in content
  std::size_t in_attribute = 0;  // and in an attribute value
  std::size_t depth = 0;       // the deepest nesting of elements its content opens
  std::size_t attributes = 0;  // the most attributes on one element of its content
};

// A judgement: accepted, refused by a limit of the program's own (`code` and `reason`
// say which), or markup this model cannot follow, which the XML library then reports.
struct Judgement {
  enum class Verdict { kAccepted, kRefused, kMalformed };
  Verdict verdict = Verdict::kAccepted;
  std::uint32_t code = 0;
  std::u16string reason;

  static Judgement Accepted() { return {}; }
  static Judgement Malformed() { return {Verdict::kMalformed, 0, u""}; }
  static Judgement Refused(std::uint32_t code, std::u16string reason) {
    return {Verdict::kRefused, code, std::move(reason)};
  }
  bool accepted() const { return verdict == Verdict::kAccepted; }
};

// The refusals' codes, the numbers libxml2 gives the same faults.
constexpr std::uint32_t kParameterEntityRefused = 88;  // a parameter entity
constexpr std::uint32_t kExternalEntityRefused = 29;   // a reference to an external entity
constexpr std::uint32_t kEntityLoop = 89;              // a loop, or expansion past the budget
constexpr std::uint32_t kDeclarationsTooLarge = 104;   // declarations past what may be kept

class DocumentType {
 public:
  // Texts here are in the job file's own encoding when that keeps ASCII, else in UTF-8.
  // What follows "<!DOCTYPE" up to the internal subset's '[' or the declaration's '>'.
  static Judgement Header(std::string_view header);
  // One piece of the internal subset: a markup declaration, a comment or a processing
  // instruction, with the white space before it. What it keeps is charged to `budget`,
  // and so are the references in attribute defaults, which are read where declared. More
  // than limits::kMaxAttributes attribute declarations in all are refused.
  Judgement Declaration(std::string_view markup, ExpansionBudget* budget);

  // One reference to the general entity `name` in the document: what it costs. An
  // undeclared entity costs nothing here; the XML library judges it.
  Judgement Reference(std::string_view name, EntityCost* cost);

 private:
  enum class Kind { kInternal, kExternal, kUnparsed };
  enum class State { kNew, kComputing, kComputed };
  struct Entity {
    Kind kind = Kind::kInternal;
    std::string replacement;  // of an internal entity: character references resolved
    State state = State::kNew;
    EntityCost cost;
  };

  Judgement Declare(std::string_view name, Entity entity, ExpansionBudget* budget);
  Judgement Compute(Entity* entity, int nesting);

  std::unordered_map<std::string, Entity> entities_;
  std::size_t attribute_declarations_ = 0;
};

}  // namespace velkor

#endif  // VELKOR_READER_DOCUMENT_TYPE_H_

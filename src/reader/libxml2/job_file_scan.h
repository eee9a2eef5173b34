// One streaming pass over a job file with libxml2's push parser. It hands over the root
// element's attributes and those of every file element beneath it, in document order,
// keeping nothing of the document but its type declaration.
#ifndef VELKOR_READER_LIBXML2_JOB_FILE_SCAN_H_
#define VELKOR_READER_LIBXML2_JOB_FILE_SCAN_H_

#include <libxml/tree.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "reader/libxml2/xml_attribute_text.h"
#include "reader/scan_sink.h"

namespace velkor {

struct ScanFailure {
  std::uint32_t code = 0;  // libxml2's error code
  std::int32_t line = 0;
  std::int32_t column = 0;
  std::string reason;  // UTF-8, no trailing line end
  bool out_of_memory = false;
};

// The program's own limits (depth, attributes, what entities expand to) are judged on the
// bytes before they reach the scan; it judges well-formedness only.
class JobFileScan {
 public:
  // `root_names` and `file_names` are the attribute names wanted (UTF-8).
  JobFileScan(std::vector<std::string> root_names, std::vector<std::string> file_names, ScanSink* sink);
  ~JobFileScan();
  JobFileScan(const JobFileScan&) = delete;
  JobFileScan& operator=(const JobFileScan&) = delete;

  // Parses the next bytes of the file; false once the file has failed. An exception that
  // the sink throws comes out here.
  bool Feed(const char* bytes, std::size_t size);
  // The end of the file; false when the file has failed.
  bool Finish();
  bool failed() const { return failed_; }
  const ScanFailure& failure() const { return failure_; }

 private:
  class Callbacks;
  friend class Callbacks;

  bool Parse(const char* bytes, std::size_t size, bool terminate);
  // Fails the scan when two of an element's attributes have the same namespace and local
  // name; false once failed.
  bool CheckExpandedNames(int count, const xmlChar** attributes);
  // Looks up the wanted names in the parser's dictionary, so attributes match by pointer.
  void InternNames();
  // Fills the values of the wanted attributes from the parser's attribute array.
  bool ReadAttributes(const xmlChar* element, const std::vector<const xmlChar*>& keys, int count,
                      const xmlChar** attributes);
  // The same for a file element that an entity's content holds.
  bool ReadNodeAttributes(xmlNodePtr element);
  // Reports the file elements of an entity's content, nested entities included.
  void WalkEntity(xmlEntityPtr entity);
  // Records the failure of an attribute's expansion; true when it succeeded.
  bool Expanded(const Expansion& expansion);
  // Marks the scan failed with the position where the parser is; the first failure stays.
  void Fail(std::uint32_t code, std::string reason);
  // Keeps an exception thrown in a callback: it must not unwind through the parser.
  void Abort(std::exception_ptr exception);

  std::vector<std::string> root_names_;
  std::vector<std::string> file_names_;
  ScanSink* sink_;
  struct Parser;
  std::unique_ptr<Parser> parser_;
  bool failed_ = false;
  ScanFailure failure_;
  std::exception_ptr exception_;  // thrown in a callback, rethrown once the parser returns
};

}  // namespace velkor

#endif  // VELKOR_READER_LIBXML2_JOB_FILE_SCAN_H_

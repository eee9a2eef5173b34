// What a scan of a job file hands over: the wanted attributes of the root element and of
// every file element beneath it, in document order. Both scans, the plain one and the XML
// library's, feed the same sinks.
#ifndef VELKOR_READER_SCAN_SINK_H_
#define VELKOR_READER_SCAN_SINK_H_

#include <string_view>
#include <vector>

namespace velkor {

// Values of the wanted attributes of one element, UTF-8, by the order the names were
// given; empty for a missing attribute. Valid only during the call that receives them.
using ScanValues = std::vector<std::string_view>;

class ScanSink {
 public:
  virtual ~ScanSink() = default;
  virtual void OnRoot(const ScanValues& values) = 0;
  virtual void OnFile(const ScanValues& values) = 0;
  // False when this pass does not need the files' values (they are still checked).
  virtual bool WantsFiles() const = 0;
};

}  // namespace velkor

#endif  // VELKOR_READER_SCAN_SINK_H_

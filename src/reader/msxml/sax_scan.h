// A library scan on MSXML's SAX reader. The reader pulls its input from a stream while a
// scan is pushed its bytes, so the parse runs on a fiber of its own: the stream hands out
// what was fed and, when that is used up before the end was announced, switches back to
// the feeding side, which returns after each piece.
#ifndef VELKOR_READER_MSXML_SAX_SCAN_H_
#define VELKOR_READER_MSXML_SAX_SCAN_H_

#include <cstddef>

#include "platform/win32/win32_fiber.h"
#include "reader/job_file_reading.h"
#include "reader/msxml/sax_api.h"
#include "reader/msxml/sax_handler.h"
#include "reader/msxml/source_stream.h"

namespace velkor::msxml {

class SaxScan final : public LibraryScan, private StreamBytes {
 public:
  // The parser's stack: the reader nests elements without recursion, entity contents a
  // little; it is reserved, and only what is used takes memory.
  static constexpr std::size_t kStackBytes = 1024 * 1024;

  // `reader`, configured once for the run, parses one file at a time and outlives the scan.
  SaxScan(ISAXXMLReader* reader, ScanSink* sink);
  // Ends a parse still under way (its reads fail) before the fiber goes.
  ~SaxScan() override;
  SaxScan(const SaxScan&) = delete;
  SaxScan& operator=(const SaxScan&) = delete;

  bool Feed(const char* bytes, std::size_t size) override;
  bool Finish() override;
  ParseError Failure() const override;

 private:
  std::ptrdiff_t Take(char* buffer, std::size_t size) override;
  // On the fiber.
  void Parse();
  // Lets the parse run until it wants more than was fed, or ends; then throws what a
  // callback caught. False once the file has failed.
  bool Run();

  ISAXXMLReader* reader_;
  SaxHandler* handler_;
  SourceStream* stream_;
  win32::Fiber fiber_;
  const char* pending_ = nullptr;
  std::size_t pending_size_ = 0;
  bool ended_ = false;       // Finish() was called: no more bytes come
  bool abandoning_ = false;  // the scan goes: every read fails
  bool no_fiber_ = false;
  HRESULT result_ = S_OK;    // parse()'s, once it returned
};

}  // namespace velkor::msxml

#endif  // VELKOR_READER_MSXML_SAX_SCAN_H_

#include "reader/msxml/sax_scan.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "reader/msxml/com_failure.h"

namespace velkor::msxml {

SaxScan::SaxScan(ISAXXMLReader* reader, ScanSink* sink)
    : reader_(reader),
      handler_(new SaxHandler(sink)),
      stream_(new SourceStream(this)),
      fiber_(kStackBytes, [this] { Parse(); }) {}

SaxScan::~SaxScan() {
  abandoning_ = true;
  handler_->Detach();
  // A reader that kept asking after a failed read would never end; none does.
  while (fiber_.started() && !fiber_.finished()) fiber_.Resume();
  stream_->Detach();
  stream_->Release();
  handler_->Release();
}

void SaxScan::Parse() {
  if (!reader_) {
    result_ = E_POINTER;  // the reader was never started
    return;
  }
  result_ = reader_->putContentHandler(handler_);
  if (SUCCEEDED(result_)) result_ = reader_->putErrorHandler(handler_);
  if (FAILED(result_)) return;
  VARIANT input;
  VariantInit(&input);
  input.vt = VT_UNKNOWN;
  input.punkVal = static_cast<IStream*>(stream_);
  result_ = reader_->parse(input);
}

std::ptrdiff_t SaxScan::Take(char* buffer, std::size_t size) {
  std::size_t filled = 0;
  while (filled < size) {
    if (abandoning_) return -1;
    if (pending_size_ > 0) {
      const std::size_t count = std::min(size - filled, pending_size_);
      std::memcpy(buffer + filled, pending_, count);
      pending_ += count;
      pending_size_ -= count;
      filled += count;
    } else if (ended_) {
      break;
    } else {
      fiber_.Suspend();
    }
  }
  return static_cast<std::ptrdiff_t>(filled);
}

bool SaxScan::Run() {
  if (!fiber_.Resume()) no_fiber_ = true;
  pending_size_ = 0;
  if (handler_->exception()) std::rethrow_exception(handler_->exception());
  return !no_fiber_ && !handler_->failed() && SUCCEEDED(result_);
}

bool SaxScan::Feed(const char* bytes, std::size_t size) {
  // A parse that ended before the end of the file failed, whatever it returned.
  if (fiber_.finished() || no_fiber_ || handler_->failed()) return false;
  pending_ = bytes;
  pending_size_ = size;
  return Run() && !fiber_.finished();
}

bool SaxScan::Finish() {
  if (fiber_.finished() || no_fiber_ || handler_->failed()) return false;
  ended_ = true;
  return Run() && fiber_.finished();
}

ParseError SaxScan::Failure() const {
  if (no_fiber_) throw std::bad_alloc();
  if (handler_->failed()) {
    if (handler_->failure().code == static_cast<std::uint32_t>(E_OUTOFMEMORY)) throw std::bad_alloc();
    return handler_->failure();
  }
  const HRESULT code = FAILED(result_) ? result_ : E_FAIL;
  if (code == E_OUTOFMEMORY) throw std::bad_alloc();
  return ParseError{static_cast<std::uint32_t>(code), 0, 0, FailureText(code)};
}

}  // namespace velkor::msxml

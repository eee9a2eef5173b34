// The bytes of a job file, as the stream the SAX reader pulls from: MSXML never opens the
// job file itself, so a path of any length, or a device name, never reaches it.
#ifndef VELKOR_READER_MSXML_SOURCE_STREAM_H_
#define VELKOR_READER_MSXML_SOURCE_STREAM_H_

#include <cstddef>

#include <objidl.h>

#include "platform/win32/windows_api.h"

namespace velkor::msxml {

// Where a stream's bytes come from.
class StreamBytes {
 public:
  virtual ~StreamBytes() = default;
  // Up to `size` bytes into `buffer`, fewer only at the end: the count, or -1 when the
  // reading is to stop.
  virtual std::ptrdiff_t Take(char* buffer, std::size_t size) = 0;
};

// Reference-counted like any COM object; it starts with one reference, its creator's.
// Detach() ends its use of `bytes`: any later read fails.
class SourceStream final : public IStream {
 public:
  explicit SourceStream(StreamBytes* bytes) : bytes_(bytes) {}
  SourceStream(const SourceStream&) = delete;
  SourceStream& operator=(const SourceStream&) = delete;

  void Detach() { bytes_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID interface_id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* done) override;
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }

  // A forward-only stream: only the position can be asked for.
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) override;
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

 private:
  ~SourceStream() = default;

  LONG references_ = 1;
  StreamBytes* bytes_;
  ULONGLONG position_ = 0;
};

}  // namespace velkor::msxml

#endif  // VELKOR_READER_MSXML_SOURCE_STREAM_H_

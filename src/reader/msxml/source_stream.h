// The bytes of the job file the program opened, as the stream MSXML loads a document from:
// MSXML never opens the job file itself, so a path of any length, or a device name, never
// reaches it.
#ifndef VELKOR_READER_MSXML_SOURCE_STREAM_H_
#define VELKOR_READER_MSXML_SOURCE_STREAM_H_

#include <objidl.h>

#include "platform/win32/windows_api.h"
#include "reader/job_file_source.h"

namespace velkor::msxml {

// Reference-counted like any COM object; it starts with one reference, its creator's. It
// reads `source` from its current position; Detach() ends its use of it.
class SourceStream final : public IStream {
 public:
  explicit SourceStream(JobFileSource* source) : source_(source) {}
  SourceStream(const SourceStream&) = delete;
  SourceStream& operator=(const SourceStream&) = delete;

  // The failure of a read, when one failed.
  bool failed() const { return failed_; }
  const SourceError& failure() const { return failure_; }
  void Detach() { source_ = nullptr; }

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
  JobFileSource* source_;
  ULONGLONG position_ = 0;
  bool failed_ = false;
  SourceError failure_;
};

}  // namespace velkor::msxml

#endif  // VELKOR_READER_MSXML_SOURCE_STREAM_H_

#include "reader/msxml/source_stream.h"

namespace velkor::msxml {

HRESULT SourceStream::QueryInterface(REFIID interface_id, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(interface_id, IID_IUnknown) || IsEqualIID(interface_id, IID_ISequentialStream) ||
      IsEqualIID(interface_id, IID_IStream)) {
    *object = static_cast<IStream*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG SourceStream::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG SourceStream::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

// A short read means the end of the file, as the stream contract has it.
HRESULT SourceStream::Read(void* buffer, ULONG size, ULONG* done) {
  if (done) *done = 0;
  const std::ptrdiff_t count = bytes_ ? bytes_->Take(static_cast<char*>(buffer), size) : -1;
  if (count < 0) return STG_E_READFAULT;
  position_ += static_cast<ULONGLONG>(count);
  if (done) *done = static_cast<ULONG>(count);
  return static_cast<ULONG>(count) == size ? S_OK : S_FALSE;
}

HRESULT SourceStream::Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) {
  const bool stays = origin == STREAM_SEEK_CUR ? move.QuadPart == 0
                     : origin == STREAM_SEEK_SET && move.QuadPart >= 0 &&
                           static_cast<ULONGLONG>(move.QuadPart) == position_;
  if (!stays) return STG_E_INVALIDFUNCTION;
  if (position) position->QuadPart = position_;
  return S_OK;
}

}  // namespace velkor::msxml

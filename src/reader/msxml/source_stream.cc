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

// Fills the buffer unless the file ends first (S_FALSE), as the stream contract asks.
HRESULT SourceStream::Read(void* buffer, ULONG size, ULONG* done) {
  ULONG filled = 0;
  HRESULT result = S_OK;
  while (filled < size) {
    const std::ptrdiff_t count =
        source_ ? source_->Read(static_cast<char*>(buffer) + filled, size - filled, &failure_) : 0;
    if (count < 0) {
      failed_ = true;
      result = STG_E_READFAULT;
      break;
    }
    if (count == 0) {
      result = S_FALSE;
      break;
    }
    filled += static_cast<ULONG>(count);
  }
  position_ += filled;
  if (done) *done = filled;
  return result;
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

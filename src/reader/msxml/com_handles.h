// The owner of a COM object: it is released when its owner goes, on every path.
#ifndef VELKOR_READER_MSXML_COM_HANDLES_H_
#define VELKOR_READER_MSXML_COM_HANDLES_H_

#include "platform/win32/windows_api.h"

namespace velkor::msxml {

template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { Reset(); }

  void Reset() {
    if (object_) object_->Release();
    object_ = nullptr;
  }
  // For a call that hands out a new reference; whatever was held before is released.
  Interface** Out() {
    Reset();
    return &object_;
  }
  Interface* get() const { return object_; }
  Interface* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  Interface* object_ = nullptr;
};

}  // namespace velkor::msxml

#endif  // VELKOR_READER_MSXML_COM_HANDLES_H_

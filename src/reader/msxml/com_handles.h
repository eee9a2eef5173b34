// Owners of COM objects, strings and variants: each is released when its owner goes,
// on every path, also when a job file is abandoned by an exception.
#ifndef VELKOR_READER_MSXML_COM_HANDLES_H_
#define VELKOR_READER_MSXML_COM_HANDLES_H_

#include <string>
#include <string_view>

#include "platform/win32/windows_api.h"
#include <oleauto.h>

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

class Bstr {
 public:
  Bstr() = default;
  // Null when the system has no memory for it; callers check.
  explicit Bstr(std::u16string_view text)
      : value_(SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text.data()), static_cast<UINT>(text.size()))) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(value_); }

  BSTR* Out() {
    SysFreeString(value_);
    value_ = nullptr;
    return &value_;
  }
  BSTR get() const { return value_; }
  std::u16string Text() const {
    return std::u16string(reinterpret_cast<const char16_t*>(value_ ? value_ : L""), SysStringLen(value_));
  }

 private:
  BSTR value_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&value_); }

  VARIANT* get() { return &value_; }
  // The text a string variant holds; empty for any other kind.
  std::u16string Text() const {
    if (value_.vt != VT_BSTR || !value_.bstrVal) return u"";
    return std::u16string(reinterpret_cast<const char16_t*>(value_.bstrVal), SysStringLen(value_.bstrVal));
  }

 private:
  VARIANT value_;
};

}  // namespace velkor::msxml

#endif  // VELKOR_READER_MSXML_COM_HANDLES_H_

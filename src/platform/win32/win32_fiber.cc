#include "platform/win32/win32_fiber.h"

#include <utility>

#include "platform/win32/windows_api.h"

namespace velkor::win32 {
namespace {

// The calling thread as a fiber; it is made one at its first need and stays one.
void* ThreadFiber() {
  if (IsThreadAFiber()) return GetCurrentFiber();
  return ConvertThreadToFiber(nullptr);
}

}  // namespace

Fiber::Fiber(std::size_t stack_bytes, std::function<void()> body)
    : stack_bytes_(stack_bytes), body_(std::move(body)) {}

Fiber::~Fiber() {
  if (fiber_) DeleteFiber(fiber_);
}

bool Fiber::Resume() {
  if (finished_) return true;
  caller_ = ThreadFiber();
  if (!caller_) return false;
  if (!fiber_) {
    fiber_ = CreateFiberEx(0, stack_bytes_, FIBER_FLAG_FLOAT_SWITCH, &Fiber::Run, this);
    if (!fiber_) return false;
  }
  started_ = true;
  SwitchToFiber(fiber_);
  return true;
}

void Fiber::Suspend() { SwitchToFiber(caller_); }

// A fiber's function must never return (that would end the thread): once the body is
// done, it hands control back for good.
void __stdcall Fiber::Run(void* self) {
  auto* fiber = static_cast<Fiber*>(self);
  fiber->body_();
  fiber->finished_ = true;
  for (;;) SwitchToFiber(fiber->caller_);
}

}  // namespace velkor::win32

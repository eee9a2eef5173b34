// Work on a stack of its own that can hand control back to whoever resumed it, midway:
// how a library that pulls its input is driven by a caller that pushes it.
#ifndef VELKOR_PLATFORM_WIN32_WIN32_FIBER_H_
#define VELKOR_PLATFORM_WIN32_WIN32_FIBER_H_

#include <cstddef>
#include <functional>

namespace velkor::win32 {

class Fiber {
 public:
  // `body` runs from the first Resume(); it must not throw (an exception cannot cross a
  // switch between fibers). Its stack, of `stack_bytes` reserved, is made only then.
  Fiber(std::size_t stack_bytes, std::function<void()> body);
  Fiber(const Fiber&) = delete;
  Fiber& operator=(const Fiber&) = delete;
  // The body must have finished, or never started: a stack in use is not unwound.
  ~Fiber();

  // Runs the body until it suspends or finishes; false when no fiber could be made.
  bool Resume();
  // From the body: back to the Resume() that ran it.
  void Suspend();
  bool started() const { return started_; }
  bool finished() const { return finished_; }

 private:
  static void __stdcall Run(void* self);

  std::size_t stack_bytes_;
  std::function<void()> body_;
  void* fiber_ = nullptr;
  void* caller_ = nullptr;
  bool started_ = false;
  bool finished_ = false;
};

}  // namespace velkor::win32

#endif  // VELKOR_PLATFORM_WIN32_WIN32_FIBER_H_

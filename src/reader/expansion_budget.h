// Limits on what entity references can make of a small file, the same whichever library
// reads it: XML libraries catch the classic nested entity bomb, but not always a large
// entity referenced over and over (quadratic blow-up), nor a document type declaration
// that makes them keep large entity trees in memory.
#ifndef VELKOR_READER_EXPANSION_BUDGET_H_
#define VELKOR_READER_EXPANSION_BUDGET_H_

#include <cstddef>

namespace velkor {

class ExpansionBudget {
 public:
  // Every byte read from the file earns this many units of expansion work...
  static constexpr std::size_t kUnitsPerInputByte = 8;
  // ...saved up to this reserve, which is also what a file starts with.
  static constexpr std::size_t kReserve = std::size_t{16} << 20;
  // What entity declarations and parsed entity content may keep in memory, in bytes.
  static constexpr std::size_t kMaxKept = std::size_t{32} << 20;

  // Units for a node visited while an entity's content is walked.
  static constexpr std::size_t kUnitsPerNode = 16;

  void Earn(std::size_t input_bytes) {
    std::size_t earned = input_bytes > kReserve / kUnitsPerInputByte ? kReserve : input_bytes * kUnitsPerInputByte;
    reserve_ = reserve_ > kReserve - earned ? kReserve : reserve_ + earned;
  }

  // False once the work would exceed what the file has earned.
  bool Spend(std::size_t units) {
    if (units > reserve_) {
      reserve_ = 0;
      return false;
    }
    reserve_ -= units;
    return true;
  }

  // False once the declarations and entity trees kept would pass kMaxKept.
  bool Keep(std::size_t bytes) {
    if (kept_ > kMaxKept || bytes > kMaxKept - kept_) {
      kept_ = kMaxKept + 1;
      return false;
    }
    kept_ += bytes;
    return true;
  }

 private:
  std::size_t reserve_ = kReserve;
  std::size_t kept_ = 0;
};

}  // namespace velkor

#endif  // VELKOR_READER_EXPANSION_BUDGET_H_

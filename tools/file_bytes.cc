#include "file_bytes.h"

#include <fstream>
#include <sstream>

namespace velkor {

bool ReadFileBytes(const char* path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  *bytes = s.str();
  return in.is_open() && !in.bad();
}

bool WriteFileBytes(const char* path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  return static_cast<bool>(out);
}

}  // namespace velkor

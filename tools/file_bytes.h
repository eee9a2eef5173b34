// Whole files as bytes, for the build tools.
#ifndef VELKOR_TOOLS_FILE_BYTES_H_
#define VELKOR_TOOLS_FILE_BYTES_H_

#include <string>

namespace velkor {

bool ReadFileBytes(const char* path, std::string* bytes);
bool WriteFileBytes(const char* path, const std::string& bytes);

}  // namespace velkor

#endif  // VELKOR_TOOLS_FILE_BYTES_H_

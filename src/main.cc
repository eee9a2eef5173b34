// velkor job.xml [more.xml...]: renames audio files and gives them ID3 v1.1 tags.
#include <vector>

#include "driver/batch_driver.h"
#include "platform/posix/posix_platform.h"

int main(int argc, char** argv) {
  velkor::PosixPlatform platform;
  return velkor::RunBatch(platform, std::vector<velkor::NativePath>(argv + 1, argv + argc));
}

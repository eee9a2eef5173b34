// Moves on Windows: between volumes a file arrives whole, with its times and attributes,
// or not at all, and no partial copy stays behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "platform/win32/win32_move.h"
#include "platform/win32/windows_api.h"

namespace velkor::win32 {
namespace {

namespace fs = std::filesystem;

class Win32MoveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("velkor-move-test-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(dir_ / "folder");
  }
  void TearDown() override {
    for (const auto& item : fs::recursive_directory_iterator(dir_)) SetFileAttributesW(item.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(dir_);
  }
  std::wstring Path(const char* name) const { return (dir_ / name).wstring(); }
  void Write(const char* name, const std::string& bytes) const { std::ofstream(dir_ / name, std::ios::binary) << bytes; }
  std::string Read(const char* name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : "(none)";
  }
  // The names in the folder, as the volume spells them, in order.
  std::string Names() const {
    std::set<std::string> names;
    for (const auto& item : fs::directory_iterator(dir_)) names.insert(item.path().filename().string());
    std::string list;
    for (const std::string& name : names) list += name + " ";
    return list;
  }

  fs::path dir_;
};

TEST_F(Win32MoveTest, ByCopyWholeWithTimesAndAttributesOrNotAtAll) {
  std::string content((5 << 19) + 7, '\0');  // two and a half chunks of copying
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  Write("song.mp3", content);
  Write("taken.mp3", "taken");
  const FILETIME written{0x12345670, 0x01C00000};
  HANDLE source = CreateFileW(Path("song.mp3").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_TRUE(SetFileTime(source, nullptr, nullptr, &written));
  CloseHandle(source);
  SetFileAttributesW(Path("song.mp3").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);

  const struct {
    const char *from, *to;
    SystemError error;
    const char* names;  // what the folder holds afterwards
  } rows[] = {
      {"song.mp3", "taken.mp3", ERROR_ALREADY_EXISTS, "folder song.mp3 taken.mp3 "},
      {"folder", "moved", ERROR_NOT_SAME_DEVICE, "folder song.mp3 taken.mp3 "},
      {"missing.mp3", "moved.mp3", ERROR_FILE_NOT_FOUND, "folder song.mp3 taken.mp3 "},
      {"song.mp3", "moved.mp3", 0, "folder moved.mp3 taken.mp3 "},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.from) + " to " + row.to);
    EXPECT_EQ(MoveByCopy(Path(row.from), Path(row.to)), row.error);
    EXPECT_EQ(Names(), row.names);
    EXPECT_EQ(Read("taken.mp3"), "taken");
  }
  EXPECT_EQ(Read("moved.mp3"), content);
  WIN32_FILE_ATTRIBUTE_DATA moved;
  ASSERT_TRUE(GetFileAttributesExW(Path("moved.mp3").c_str(), GetFileExInfoStandard, &moved));
  EXPECT_EQ(moved.dwFileAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(CompareFileTime(&moved.ftLastWriteTime, &written), 0);
}

}  // namespace
}  // namespace velkor::win32

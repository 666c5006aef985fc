// A scratch folder removed at the end of the test.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace zizovez::test {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zizovez-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    Root = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(Root, ignored);
  }
  std::string operator/(const std::string& name) const { return (Root / name).string(); }

 private:
  std::filesystem::path Root;
};

}  // namespace zizovez::test

// A fresh temporary folder for one test, removed with everything in it at the end.
#pragma once

#include <filesystem>
#include <string>

namespace motifora::test {

class TempDir {
  public:
    // Creates an empty folder named after `prefix` under the system's temporary folder (mkdtemp,
    // so parallel test programs never share one). Throws std::runtime_error when it cannot.
    explicit TempDir(const std::string& prefix = "motifora-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& root() const { return path_; }
    // The full path of `name` inside the folder.
    std::string path(const std::string& name) const { return (path_ / name).string(); }
    std::string operator/(const std::string& name) const { return path(name); }
    // Writes `content` to a file of that name, byte for byte, and returns its full path.
    std::string write(const std::string& name, const std::string& content) const;

  private:
    std::filesystem::path path_;
};

// The whole content of a file, or an empty string when it cannot be read.
std::string readBytes(const std::string& path);

}  // namespace motifora::test

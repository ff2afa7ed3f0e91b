#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string_view>

#include "settings/file_port.h"

namespace volmaru::settings {
namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

class PosixFiles final : public FilePort {
 public:
  ReadResult ReadFile(const std::string& path) override {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      struct stat st {};
      return {::stat(path.c_str(), &st) == 0 ? ReadResult::kError : ReadResult::kMissing, {}};
    }
    std::string bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>{});
    if (in.bad()) return {ReadResult::kError, {}};
    return {ReadResult::kOk, std::move(bytes)};
  }

  bool ReplaceFile(const std::string& path, std::string_view bytes, bool durable = true) override {
    struct stat st {};
    mode_t mode = 0644;
    if (::stat(path.c_str(), &st) == 0) {
      // A file without write permission stays as it is, as on Windows where
      // a read-only file cannot be replaced (root would be let through).
      if ((st.st_mode & 0222) == 0) return false;
      mode = st.st_mode & 07777;
    }
    std::string tmp = path + ".newXXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && (!durable || ::fsync(fd) == 0);
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(tmp.c_str(), path.c_str()) == 0) return true;
    ::unlink(tmp.c_str());
    return false;
  }

  void RemoveLeftoverTemporaries(const std::string& path) override {
    const size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".new";
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    while (const dirent* e = ::readdir(d)) {
      if (std::string_view(e->d_name).substr(0, prefix.size()) == prefix) ::unlink((dir + "/" + e->d_name).c_str());
    }
    ::closedir(d);
  }

  bool DirectoryExists(const std::string& path) override {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  bool CreateDirectories(const std::string& path) override {
    if (path.empty() || DirectoryExists(path)) return !path.empty();
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) CreateDirectories(path.substr(0, slash));
    return ::mkdir(path.c_str(), 0755) == 0 || DirectoryExists(path);
  }
};

}  // namespace

FilePort& SystemFiles() {
  static PosixFiles files;
  return files;
}

}  // namespace volmaru::settings

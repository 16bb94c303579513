#include "cli/batch_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace orvantis {

bool writeFileAtomically(const std::string& path, const std::string& content, std::string& error) {
  const std::string temporary = path + ".partial." + std::to_string(::getpid());
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = path + ": cannot be written (" + std::strerror(errno) + ")";
    return false;
  }
  const char* data = content.data();
  std::size_t left = content.size();
  bool ok = true;
  while (left > 0) {
    const ssize_t written = ::write(fd, data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  // The data reach the disk before the name does, so a crash leaves the old file or the new one.
  if (ok && ::fsync(fd) != 0) ok = false;
  const int writeErrno = errno;
  if (::close(fd) != 0) ok = false;
  if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  error = path + ": cannot be written (" + std::strerror(ok ? errno : writeErrno) + ")";
  std::error_code ignored;
  std::filesystem::remove(temporary, ignored);
  return false;
}

bool readWholeFile(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  content = text.str();
  return !in.bad();
}

}  // namespace orvantis

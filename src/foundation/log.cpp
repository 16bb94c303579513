#include "foundation/log.h"

#include <cstring>

namespace orvantis {

LineFlushingFileBuf::~LineFlushingFileBuf() {
  if (file_ != nullptr) std::fclose(file_);
}

LineFlushingFileBuf::int_type LineFlushingFileBuf::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  if (file_ == nullptr) return c;
  const char ch = traits_type::to_char_type(c);
  std::fputc(ch, file_);
  if (ch == '\n') std::fflush(file_);
  return c;
}

std::streamsize LineFlushingFileBuf::xsputn(const char* s, std::streamsize n) {
  if (file_ == nullptr) return n;
  std::fwrite(s, 1, static_cast<std::size_t>(n), file_);
  if (std::memchr(s, '\n', static_cast<std::size_t>(n)) != nullptr) std::fflush(file_);
  return n;
}

int LineFlushingFileBuf::sync() {
  if (file_ != nullptr) std::fflush(file_);
  return 0;
}

TLogFile::TLogFile(const std::string& path)
    : file_(std::fopen(path.c_str(), "w")),
      buffer_(std::make_unique<LineFlushingFileBuf>(file_)),
      stream_(buffer_.get()) {}

}  // namespace orvantis

#pragma once
// The run's text log. Every end of line reaches the file at once, so the log is complete up to
// the last message even if the process is killed. A log that cannot be created swallows writes.

#include <cstdio>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

namespace orvantis {

inline constexpr const char* kLogFileName = "orvantis3_beta_win.log";

// Stream buffer that writes to a C file and flushes after every line feed.
class LineFlushingFileBuf : public std::streambuf {
 public:
  explicit LineFlushingFileBuf(std::FILE* file) : file_(file) {}
  ~LineFlushingFileBuf() override;
  LineFlushingFileBuf(const LineFlushingFileBuf&) = delete;
  LineFlushingFileBuf& operator=(const LineFlushingFileBuf&) = delete;

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  std::FILE* file_;
};

// Owns the log file and the stream every part of a run writes to.
class TLogFile {
 public:
  // Creates (truncates) the file; on failure the stream discards everything.
  explicit TLogFile(const std::string& path = kLogFileName);
  std::ostream& stream() { return stream_; }
  bool isOpen() const { return file_ != nullptr; }

 private:
  std::FILE* file_;
  std::unique_ptr<LineFlushingFileBuf> buffer_;
  std::ostream stream_;
};

}  // namespace orvantis

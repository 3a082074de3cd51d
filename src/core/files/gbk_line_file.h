#pragma once
// Text files the program writes in GBK with CR LF line ends (check reports, conflict reports, the
// online CSV): lines are encoded into a buffer and written through an AtomicFile in large pieces,
// so the file takes its place only when the caller commits it.

#include <cstddef>
#include <string>
#include <string_view>

#include "core/files/atomic_file.h"
#include "core/text/gbk_encoder.h"

namespace velmora::files {

class GbkLineFile {
 public:
  // Writes into `file` (which must outlive this writer); what is buffered goes out once it
  // reaches `flushAt` bytes, on flush() and on close().
  explicit GbkLineFile(AtomicFile& file, std::size_t flushAt = std::size_t{1} << 20);
  GbkLineFile(const GbkLineFile&) = delete;
  GbkLineFile& operator=(const GbkLineFile&) = delete;

  // One line of UTF-8 text; characters GBK lacks are written as the encoder writes them.
  // Throws AtomicFileError when a full buffer cannot be written.
  void line(std::string_view utf8);

  // A line made of pieces (the cells of a CSV row): bytes() is the end of the buffer the line is
  // appended to, for ASCII or bytes already in GBK; appendExact() encodes UTF-8 text that must be
  // written exactly; endLine() ends the line. Throws AtomicFileError as line() does.
  std::string& bytes() { return buffer_; }
  // False, with part of the text appended, when GBK cannot hold a character of it.
  bool appendExact(std::string_view utf8) { return gbk_.AppendExact(utf8, buffer_); }
  void endLine();
  // Writes out what is buffered. Throws AtomicFileError.
  void flush();
  // Writes out what is buffered and closes the file; the caller then commits it.
  // Throws AtomicFileError.
  void close();

  AtomicFile& file() { return file_; }

 private:
  AtomicFile& file_;
  std::size_t flushAt_;
  text::GbkEncoder gbk_;
  std::string buffer_;  // GBK bytes not yet written
};

}  // namespace velmora::files

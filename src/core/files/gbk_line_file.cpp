#include "core/files/gbk_line_file.h"

namespace velmora::files {

GbkLineFile::GbkLineFile(AtomicFile& file, std::size_t flushAt) : file_(file), flushAt_(flushAt) {
  buffer_.reserve(flushAt_ + 4096);
}

void GbkLineFile::line(std::string_view utf8) {
  gbk_.Append(utf8, buffer_);
  endLine();
}

void GbkLineFile::endLine() {
  buffer_ += "\r\n";
  if (buffer_.size() >= flushAt_) flush();
}

void GbkLineFile::flush() {
  if (buffer_.empty()) return;
  file_.write(buffer_);
  buffer_.clear();
}

void GbkLineFile::close() {
  flush();
  file_.close();
}

}  // namespace velmora::files

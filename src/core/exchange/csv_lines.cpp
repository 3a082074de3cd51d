#include "core/exchange/csv_lines.h"

#include <cstring>

namespace velmora::exchange {

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 16;

std::string At(std::int64_t line) { return "第" + std::to_string(line) + "行"; }

}  // namespace

CsvLineReader::CsvLineReader(std::istream& in, std::size_t maxLine) : in_(in), maxLine_(maxLine), buffer_(kChunk) {}

void CsvLineReader::fill() {
  at_ = end_ = 0;
  if (eof_) return;
  // A stream whose reading fails sets its badbit: that is an error, not the end of the file.
  in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
  const std::streamsize got = in_.gcount();
  if (in_.bad()) throw CsvLinesError("读取文件时在" + At(number_ + 1) + "出错，文件无法读完");
  if (got <= 0) {
    eof_ = true;
    return;
  }
  end_ = static_cast<std::size_t>(got);
}

bool CsvLineReader::next(std::string& line, bool& ended) {
  line.clear();
  ended = false;
  bool any = false;
  for (;;) {
    if (at_ == end_) {
      fill();
      if (at_ == end_) break;  // the end of the file
    }
    any = true;
    const char* start = buffer_.data() + at_;
    const std::size_t left = end_ - at_;
    const void* lf = std::memchr(start, '\n', left);
    const std::size_t take = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) : left;
    // A CR that ends the line is dropped below, so the limit allows one byte for it.
    if (line.size() + take > maxLine_ + 1)
      throw CsvLinesError(At(number_ + 1) + "超过" + std::to_string(maxLine_) +
                          "个字节，比网络版数据文件的任何一行都长，文件不是网络版的数据文件");
    line.append(start, take);
    bytes_ += static_cast<std::int64_t>(take);
    at_ += take;
    if (lf) {
      ++at_;
      ++bytes_;
      ended = true;
      break;
    }
  }
  if (!any) return false;
  ++number_;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > maxLine_)
    throw CsvLinesError(At(number_) + "超过" + std::to_string(maxLine_) +
                        "个字节，比网络版数据文件的任何一行都长，文件不是网络版的数据文件");
  return true;
}

}  // namespace velmora::exchange

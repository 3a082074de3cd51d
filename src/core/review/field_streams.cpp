#include "core/review/field_streams.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/base/paths.h"

namespace velmora::review {

namespace {

constexpr const char* kWriteFailedText = "审核的临时文件无法写入（磁盘已满？），审核没有完成。";
constexpr const char* kReadFailedText = "审核的临时文件无法读取，审核没有完成。";

}  // namespace

FieldStreams::FieldStreams(const std::string& folder, std::size_t fields, std::size_t bufferWords)
    : file_(files::ReserveTemporaryFile(folder, "~vmr")),
      bufferWords_(std::max<std::size_t>(bufferWords, 3)),
      buffers_(fields),
      chunks_(fields) {
  stream_.open(base::PathFromUtf8(file_.path()), std::ios::in | std::ios::out | std::ios::binary | std::ios::trunc);
  if (!stream_) throw std::runtime_error(kWriteFailedText);
  for (auto& b : buffers_) b.reserve(bufferWords_);
}

FieldStreams::~FieldStreams() {
  stream_.close();  // before the guard removes the file
}

void FieldStreams::add(std::size_t field, double value) {
  std::vector<std::uint32_t>& buffer = buffers_[field];
  if (buffer.size() + 3 > bufferWords_) flush(field);
  if (std::isnan(value)) {
    buffer.push_back(kNone);
  } else if (value >= 0 && value < static_cast<double>(kWide) && value == std::floor(value)) {
    buffer.push_back(static_cast<std::uint32_t>(value));
  } else {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    buffer.push_back(kWide);
    buffer.push_back(static_cast<std::uint32_t>(bits));
    buffer.push_back(static_cast<std::uint32_t>(bits >> 32));
  }
}

void FieldStreams::flush(std::size_t field) {
  std::vector<std::uint32_t>& buffer = buffers_[field];
  if (buffer.empty()) return;
  stream_.seekp(static_cast<std::streamoff>(end_));
  stream_.write(reinterpret_cast<const char*>(buffer.data()), static_cast<std::streamsize>(buffer.size() * sizeof(std::uint32_t)));
  if (!stream_) throw std::runtime_error(kWriteFailedText);
  chunks_[field].push_back({end_, static_cast<std::uint32_t>(buffer.size())});
  end_ += buffer.size() * sizeof(std::uint32_t);
  buffer.clear();
}

void FieldStreams::finish() {
  for (std::size_t f = 0; f < buffers_.size(); ++f) flush(f);
  stream_.flush();
  if (!stream_) throw std::runtime_error(kWriteFailedText);
}

void FieldStreams::load(std::istream& in, const Chunk& chunk, std::vector<std::uint32_t>& words) {
  words.resize(chunk.words);
  in.seekg(static_cast<std::streamoff>(chunk.offset));
  in.read(reinterpret_cast<char*>(words.data()), static_cast<std::streamsize>(chunk.words * sizeof(std::uint32_t)));
  if (!in) throw std::runtime_error(kReadFailedText);
}

std::ifstream FieldStreams::openReader() const {
  std::ifstream in(base::PathFromUtf8(file_.path()), std::ios::in | std::ios::binary);
  if (!in) throw std::runtime_error(kReadFailedText);
  return in;
}

}  // namespace velmora::review

#pragma once
// One year's values of the review, turned from rows into fields: while the records are read once,
// row by row, each field's values go into a buffer of their own that is appended to a temporary
// file when it fills; afterwards a field's values are read back alone, in the order they came. So
// the records are read once whatever the number of fields, and memory holds one buffer per field.
//
// A value is a 4-byte word when it is a whole number from 0 to 2^31 − 3, the word kNone when there is
// no number, or kWide followed by the 8 bytes of the number.

#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "core/files/atomic_file.h"

namespace velmora::review {

class FieldStreams {
 public:
  // A temporary file "~vmr<6 hex>.tmp" in `folder` for `fields` fields, removed when this goes.
  // Throws files::AtomicFileError when it cannot be made.
  FieldStreams(const std::string& folder, std::size_t fields, std::size_t bufferWords = 16384);
  ~FieldStreams();
  FieldStreams(const FieldStreams&) = delete;
  FieldStreams& operator=(const FieldStreams&) = delete;

  // Appends the next value of `field` (NaN: no number). Throws std::runtime_error when the file
  // cannot be written (a full disk).
  void add(std::size_t field, double value);
  // Writes what the buffers hold; call once after the last add.
  void finish();

  // The values of `field` in the order they were added: `sink(i, value)` for the i-th (NaN: none).
  // Throws std::runtime_error when the file cannot be read.
  template <class Sink>
  void read(std::size_t field, Sink&& sink) {
    readFrom(stream_, field, sink);
  }

  // A reading of its own, for a thread of its own once finish() was called.
  std::ifstream openReader() const;
  template <class Sink>
  void readFrom(std::istream& in, std::size_t field, Sink&& sink) const {
    std::uint64_t i = 0;
    auto decode = [&](const std::vector<std::uint32_t>& words) {
      for (std::size_t j = 0; j < words.size(); ++j) {
        const std::uint32_t w = words[j];
        if (w == kWide && j + 2 < words.size()) {  // a wide number's words never part between chunks
          const std::uint64_t bits = static_cast<std::uint64_t>(words[j + 1]) | (static_cast<std::uint64_t>(words[j + 2]) << 32);
          double v;
          std::memcpy(&v, &bits, sizeof v);
          sink(i++, v);
          j += 2;
        } else {
          sink(i++, w == kNone ? std::numeric_limits<double>::quiet_NaN() : static_cast<double>(w));
        }
      }
    };
    std::vector<std::uint32_t> words;
    for (const Chunk& chunk : chunks_[field]) {
      load(in, chunk, words);
      decode(words);
    }
    decode(buffers_[field]);  // what was not written yet
  }

  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
  static constexpr std::uint32_t kWide = 0xFFFFFFFEu;

  // Bytes written to the file so far.
  std::uint64_t bytes() const { return end_; }

 private:
  struct Chunk {
    std::uint64_t offset = 0;
    std::uint32_t words = 0;
  };
  void flush(std::size_t field);
  static void load(std::istream& in, const Chunk& chunk, std::vector<std::uint32_t>& words);

  files::TemporaryFile file_;
  std::fstream stream_;
  std::size_t bufferWords_;
  std::vector<std::vector<std::uint32_t>> buffers_;
  std::vector<std::vector<Chunk>> chunks_;
  std::uint64_t end_ = 0;
};

}  // namespace velmora::review

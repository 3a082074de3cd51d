#pragma once
// The lines of a text file from elsewhere, read as a stream: a line ends with LF (a CR before it is
// dropped), and no line may be longer than a limit, so memory stays bounded whatever the file holds.
// A line over the limit and a read that fails are errors naming the line, never an end of file.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora::exchange {

// Why the lines of a file could not be read; what() is a Chinese sentence naming the line.
class CsvLinesError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CsvLineReader {
 public:
  // Reads `in` (opened in binary mode) with lines of at most `maxLine` bytes, line end excluded.
  CsvLineReader(std::istream& in, std::size_t maxLine);

  // The next line without its line end; false at the end of the file. `ended` tells whether the line
  // had its LF. Throws CsvLinesError when the line is longer than the limit or the file cannot be
  // read further.
  bool next(std::string& line, bool& ended);

  // The 1-based number of the line `next` returned last.
  std::int64_t number() const { return number_; }
  // Bytes consumed so far.
  std::int64_t bytes() const { return bytes_; }

 private:
  void fill();

  std::istream& in_;
  std::size_t maxLine_;
  std::vector<char> buffer_;
  std::size_t at_ = 0, end_ = 0;
  bool eof_ = false;
  std::int64_t number_ = 0;
  std::int64_t bytes_ = 0;
};

}  // namespace velmora::exchange

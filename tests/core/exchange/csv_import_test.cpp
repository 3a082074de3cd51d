// The on-line system's CSV import as a reader of files from elsewhere: lines read as a stream with a
// length limit, GBK as the file's encoding, every record through the record check.
#include <gtest/gtest.h>

#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "core/exchange/csv_lines.h"
#include "core/exchange/online_csv.h"
#include "core/text/gbk_encoder.h"
#include "support/exchange_fixture.h"

namespace velmora::exchange {
namespace {

using testing::ExchangeFixture;
using testing::ReadFileBytes;
using testing::WriteFileBytes;

constexpr const char* kStamp = "0123456789ABCDEF0123456789ABCDEF";

std::vector<std::string> Split(const std::string& s, const std::string& by) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at = s.find(by); at != std::string::npos; at = s.find(by, start)) {
    parts.push_back(s.substr(start, at - start));
    start = at + by.size();
  }
  parts.push_back(s.substr(start));
  return parts;
}

std::string Join(const std::vector<std::string>& parts, const std::string& by) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? by : "") + parts[i];
  return out;
}

// ---- the line reader ---------------------------------------------------------------------------

// A stream of `size` copies of one byte (endless when size < 0), made as it is read; with
// `failAt` >= 0 reading fails once that many bytes have been given.
class MadeStream : public std::streambuf {
 public:
  MadeStream(char byte, std::int64_t size, std::int64_t failAt = -1) : size_(size), failAt_(failAt) {
    chunk_.assign(4096, byte);
  }
  std::int64_t given() const { return given_; }

 protected:
  int_type underflow() override {
    if (failAt_ >= 0 && given_ >= failAt_) throw std::ios_base::failure("input/output error");
    std::int64_t n = static_cast<std::int64_t>(chunk_.size());
    if (size_ >= 0) n = std::min(n, size_ - given_);
    if (failAt_ >= 0) n = std::min(n, failAt_ - given_);
    if (n <= 0) return traits_type::eof();
    given_ += n;
    setg(chunk_.data(), chunk_.data(), chunk_.data() + n);
    return traits_type::to_int_type(chunk_[0]);
  }

 private:
  std::string chunk_;
  std::int64_t size_, failAt_, given_ = 0;
};

TEST(CsvLineReader, LinesUpToTheLimitAndNoFurther) {
  const struct {
    std::string bytes;
    std::vector<std::string> lines;  // the lines read before the end or the error
    std::string error;               // "" = the file reads to its end
  } cases[] = {
      {"a,\r\nb,\nc,", {"a,", "b,", "c,"}, ""},
      {"a\r\n\r\n", {"a", ""}, ""},
      {"", {}, ""},
      {std::string(8, 'x') + "\r\n" + std::string(9, 'y') + "\n", {std::string(8, 'x')}, "第2行超过8个字节"},
      {std::string(8, 'x') + "\r\n", {std::string(8, 'x')}, ""},  // the CR is not part of the line
      {"ab\n" + std::string(9, '\0'), {"ab"}, "第2行超过8个字节"},  // no line end at all
      {"xxxx\rxxxx\n", {}, "第1行超过8个字节"},  // a CR inside a line is content
  };
  for (const auto& c : cases) {
    std::istringstream in(c.bytes, std::ios::binary);
    CsvLineReader reader(in, 8);
    std::vector<std::string> lines;
    std::string line, error;
    bool ended = false;
    try {
      while (reader.next(line, ended)) lines.push_back(line);
    } catch (const CsvLinesError& e) {
      error = e.what();
    }
    EXPECT_EQ(lines, c.lines) << c.bytes;
    if (c.error.empty())
      EXPECT_EQ(error, "") << c.bytes;
    else
      EXPECT_NE(error.find(c.error), std::string::npos) << c.bytes << ": " << error;
  }
}

// An endless stream of NUL bytes after a header ends in an error at line 2 after reading little
// more than the limit, holding no more than that.
TEST(CsvLineReader, AnEndlessLineEndsInAnErrorWithMemoryBounded) {
  MadeStream made('\0', -1);
  std::istream in(&made);
  CsvLineReader reader(in, 64 * 1024);
  std::string line;
  bool ended = false;
  try {
    while (reader.next(line, ended)) {
    }
    FAIL() << "an endless stream came to an end";
  } catch (const CsvLinesError& e) {
    EXPECT_NE(std::string(e.what()).find("第1行"), std::string::npos) << e.what();
  }
  EXPECT_LE(made.given(), 4 * 64 * 1024);
  EXPECT_LE(line.capacity(), 4u * 64 * 1024);
}

// A read that fails is an error, never the end of the file.
TEST(CsvLineReader, AFailedReadIsNotTheEndOfTheFile) {
  for (std::int64_t failAt : {0, 5, 4096, 70000}) {
    MadeStream made('\n', -1, failAt);
    std::istream in(&made);
    CsvLineReader reader(in, 64);
    std::string line;
    bool ended = false;
    std::int64_t read = 0;
    try {
      while (reader.next(line, ended)) ++read;
      FAIL() << failAt << ": the failed read ended the file after " << read << " lines";
    } catch (const CsvLinesError& e) {
      EXPECT_NE(std::string(e.what()).find("出错"), std::string::npos) << failAt << ": " << e.what();
    }
    EXPECT_LE(read, failAt);
  }
}

// ---- the import --------------------------------------------------------------------------------

class CsvImportTest : public ExchangeFixture {
 protected:
  std::string good() {
    if (good_.empty()) {
      const std::string path = (dir / "unit.csv").string();
      WriteOnlineCsv(*unit.session, path);
      good_ = ReadFileBytes(path);
    }
    return good_;
  }
  // The unit's file with one cell (0-based line and cell) replaced by GBK bytes.
  std::string withCell(int lineNo, int cell, const std::string& bytes) {
    std::vector<std::string> lines = Split(good(), "\r\n");
    std::vector<std::string> cells = Split(lines[static_cast<std::size_t>(lineNo)], ",");
    cells[static_cast<std::size_t>(cell)] = bytes;
    lines[static_cast<std::size_t>(lineNo)] = Join(cells, ",");
    return Join(lines, "\r\n");
  }
  int column(const std::string& name) {
    const std::vector<std::string> header = Split(Split(good(), "\r\n")[0], ",");
    return static_cast<int>(std::find(header.begin(), header.end(), name) - header.begin());
  }
  CsvImportResult importBytes(const std::string& bytes) {
    WriteFileBytes(dir / "in.csv", bytes);
    return ImportOnlineCsvFile(*upper.session, (dir / "in.csv").string(), kStamp);
  }

 private:
  std::string good_;
};

// What the import must refuse although the cells are of the right form: the record check's rules,
// and lines no exchange file holds. The message names the line (and the field where there is one).
TEST_F(CsvImportTest, RefusedFilesNameTheLineAndImportNothing) {
  const std::string file = good();
  const std::string header = file.substr(0, file.find("\r\n") + 2);
  std::vector<std::string> lines = Split(file, "\r\n");
  std::vector<std::string> noLastComma = lines;
  noLastComma[1].pop_back();
  const struct {
    const char* what;
    std::string bytes;
    std::vector<std::string> says;
  } cases[] = {
      {"a negative code", withCell(2, column("c901"), "-110102000001"), {"第3行", "c901", "-110102000001"}},
      {"a code with a fraction", withCell(2, column("c901"), "110102000001.5"), {"第3行", "c901", "110102000001.5"}},
      {"code 0", withCell(4, column("c901"), "0"), {"第5行", "c901"}},
      {"a code of 25 digits", withCell(2, column("c901"), std::string(25, '7')), {"第3行", "c901", std::string(25, '7')}},
      {"RecordState 99", withCell(6, column("RecordState"), "99"), {"第7行", "RecordState", "99"}},
      {"a negative indicator", withCell(3, column("z001"), "-5"), {"第4行", "z001", "-5"}},
      {"61 characters of text", withCell(2, column("c902"), std::string(61, 'a')), {"第3行", "c902"}},
      {"the same code twice", file + lines[5] + "\r\n", {"第22行"}},
      {"a line of 100 000 bytes", withCell(3, column("c902"), std::string(100000, 'a')), {"第4行", "65536个字节"}},
      {"a header and then NUL bytes", header + std::string(3 << 20, '\0'), {"第2行"}},
      {"a NUL byte in a line", withCell(3, column("c902"), std::string("a\0b", 3)), {"第4行"}},
      {"bytes that are not GBK", withCell(3, column("c902"), "\xFF\xFE"), {"第4行", "GBK"}},
      {"a lead byte without its trail", withCell(3, column("c902"), "\xC7"), {"第4行", "GBK"}},
      {"no comma after the last cell", Join(noLastComma, "\r\n"), {"第2行", "逗号"}},
  };
  for (const auto& c : cases) {
    upper.exec("delete from dt_data");
    const CsvImportResult r = importBytes(c.bytes);
    EXPECT_EQ(r.status, CsvImportStatus::Refused) << c.what << ": " << r.message;
    for (const std::string& s : c.says) EXPECT_NE(r.message.find(s), std::string::npos) << c.what << ": " << r.message;
    EXPECT_EQ(r.message.find("有155个单元格，应为155个"), std::string::npos) << c.what << ": " << r.message;
    EXPECT_EQ(r.message.find("。，"), std::string::npos) << c.what << ": " << r.message;
    EXPECT_NE(r.message.find("没有导入任何记录"), std::string::npos) << c.what << ": " << r.message;
    EXPECT_EQ(upper.count(), 0) << c.what;
  }
}

// GBK text whose bytes happen to be valid UTF-8 (钱庄 is c7 ae d7 af) is GBK like any other, also
// when it is the only text of its line.
TEST_F(CsvImportTest, GbkTextThatLooksLikeUtf8Imports) {
  const std::string name = text::GbkEncoder().Encode("钱庄");
  ASSERT_EQ(name, "\xC7\xAE\xD7\xAF");
  std::vector<std::string> lines = Split(good(), "\r\n");
  std::vector<std::string> cells = Split(lines[3], ",");
  const std::vector<CsvColumn> columns = OnlineCsvColumns(upper.session->SysADOConnection());
  for (std::size_t i = 0; i < columns.size(); ++i)
    if (columns[i].queryType == 1) cells[i] = columns[i].name == "c902" ? name : "";
  lines[3] = Join(cells, ",");
  const CsvImportResult r = importBytes(Join(lines, "\r\n"));
  ASSERT_EQ(r.status, CsvImportStatus::Imported) << r.message;
  EXPECT_EQ(upper.count("select count(*) from dt_data where c902='钱庄'"), 1);
}

// After an import the staging table is empty; after conflicts it holds the staged rows the
// number-conflict report lists.
TEST_F(CsvImportTest, TheStagingTableIsEmptiedAfterAnImport) {
  const std::string file = good();
  ASSERT_EQ(importBytes(file).status, CsvImportStatus::Imported);
  EXPECT_EQ(upper.count(), 20);
  EXPECT_EQ(upper.count("select count(*) from dt_data_dt_data"), 0);

  const CsvImportResult again = importBytes(file);
  ASSERT_EQ(again.status, CsvImportStatus::Conflicts) << again.message;
  EXPECT_EQ(again.conflicts.size(), 20u);
  EXPECT_EQ(upper.count(), 20);
  EXPECT_EQ(upper.count("select count(*) from dt_data_dt_data where c901 in (select c901 from dt_data)"), 20);
}

}  // namespace
}  // namespace velmora::exchange

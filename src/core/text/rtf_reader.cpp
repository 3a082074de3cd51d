#include "core/text/rtf_reader.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "core/text/gbk_decoder.h"

namespace velmora::text {

namespace {

struct CharFormat {
  bool bold = false;
  bool italic = false;
  bool underline = false;
  int halfPoints = 0;  // 0: the panel's own size
  int colour = 0;      // index into the colour table; 0: the panel's own colour

  bool operator==(const CharFormat&) const = default;
};

struct ParaFormat {
  char align = 'l';
  int spaceBefore = 0;  // twips
  int spaceAfter = 0;
  int leftIndent = 0;
  int firstIndent = 0;
};

enum class Destination { Text, Skip, ColourTable };

struct Group {
  CharFormat chars;
  ParaFormat para;
  int ucSkip = 1;
  Destination dest = Destination::Text;
};

struct Colour {
  int red = 0, green = 0, blue = 0;
};

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// UTF-8 text with the characters that HTML reserves escaped.
void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
}

constexpr std::string_view kTab = "&nbsp;&nbsp;&nbsp;&nbsp;";

std::string Px(int twips) { return std::to_string(twips / 15) + "px"; }

// Destinations whose text is not part of the document.
bool IsIgnoredDestination(std::string_view word) {
  static constexpr std::array<std::string_view, 26> kIgnored = {
      "fonttbl",   "stylesheet", "info",     "pict",       "header",     "headerl",   "headerr",
      "headerf",   "footer",     "footerl",  "footerr",    "footerf",    "footnote",  "object",
      "listtable", "listoverridetable", "rsidtbl", "generator", "xmlnstbl", "themedata",
      "colorschememapping", "latentstyles", "datastore", "filetbl", "revtbl", "pntext"};
  for (std::string_view w : kIgnored)
    if (w == word) return true;
  return false;
}

class Reader {
 public:
  explicit Reader(std::string_view rtf) : in_(rtf) {}

  std::string run() {
    std::size_t start = 0;
    while (start < in_.size() && (in_[start] == ' ' || in_[start] == '\r' || in_[start] == '\n' || in_[start] == '\t'))
      ++start;
    if (in_.substr(start, 5) != "{\\rtf") return {};
    pos_ = start;
    groups_.push_back(Group{});
    while (pos_ < in_.size()) step();
    endParagraph(true);
    return hasText_ ? html_ : std::string();
  }

 private:
  Group& group() { return groups_.back(); }

  void step() {
    const char c = in_[pos_++];
    switch (c) {
      case '{':
        flushBytes();
        groups_.push_back(groups_.back());
        skip_ = 0;
        break;
      case '}':
        flushBytes();
        if (groups_.back().dest == Destination::ColourTable) finishColourTable();
        if (groups_.size() > 1) groups_.pop_back();  // a stray closing brace is passed over
        skip_ = 0;
        break;
      case '\\': controlWord(); break;
      case '\r':
      case '\n':
      case '\0': break;
      case '\t':
        if (skipOne()) break;
        flushBytes();
        inline_(kTab);
        break;
      default:
        if (skipOne()) break;
        if (group().dest == Destination::ColourTable) {
          if (c == ';') {
            colours_.push_back(pendingColour_);
            pendingColour_ = {};
          }
          break;
        }
        if (static_cast<unsigned char>(c) >= 0x80) {
          bytes_ += c;  // a byte of the code page written without escape
        } else {
          flushBytes();
          text(std::string_view(&c, 1));
        }
    }
  }

  // Inside the fallback of a \u: the character is dropped.
  bool skipOne() {
    if (skip_ <= 0) return false;
    --skip_;
    return true;
  }

  void controlWord() {
    if (pos_ >= in_.size()) return;
    const char first = in_[pos_];
    if (!IsLetter(first)) {
      ++pos_;
      controlSymbol(first);
      return;
    }
    const std::size_t wordStart = pos_;
    while (pos_ < in_.size() && IsLetter(in_[pos_]) && pos_ - wordStart < 32) ++pos_;
    const std::string_view word = in_.substr(wordStart, pos_ - wordStart);
    std::optional<int> parameter;
    bool negative = false;
    if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IsDigit(in_[pos_ + 1])) {
      negative = true;
      ++pos_;
    }
    if (pos_ < in_.size() && IsDigit(in_[pos_])) {
      std::int64_t value = 0;
      int digits = 0;
      while (pos_ < in_.size() && IsDigit(in_[pos_])) {
        if (digits++ < 10) value = value * 10 + (in_[pos_] - '0');
        ++pos_;
      }
      if (value > 2147483647) value = 2147483647;
      parameter = static_cast<int>(negative ? -value : value);
    }
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;  // the delimiter belongs to the word
    apply(word, parameter);
  }

  void controlSymbol(char c) {
    if (c == '\'') {
      const int hi = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
      const int lo = pos_ + 1 < in_.size() ? HexValue(in_[pos_ + 1]) : -1;
      if (hi < 0 || lo < 0) return;  // a broken escape is dropped
      pos_ += 2;
      if (skipOne() || group().dest != Destination::Text) return;
      bytes_ += static_cast<char>(hi * 16 + lo);
      return;
    }
    if (c == '*') {
      group().dest = Destination::Skip;
      return;
    }
    flushBytes();
    if (skipOne()) return;
    switch (c) {
      case '\\':
      case '{':
      case '}': text(std::string_view(&c, 1)); break;
      case '~': text("\xC2\xA0"); break;
      case '_': text("-"); break;
      case '\r':
      case '\n': endParagraph(false); break;  // "\" at the end of a line is a paragraph
      default: break;                         // \- and unknown symbols
    }
  }

  void apply(std::string_view word, std::optional<int> parameter) {
    flushBytes();
    Group& g = group();
    const int n = parameter.value_or(1);
    if (g.dest == Destination::ColourTable) {
      if (word == "red") pendingColour_.red = n;
      else if (word == "green") pendingColour_.green = n;
      else if (word == "blue") pendingColour_.blue = n;
      return;
    }
    if (word == "colortbl") {
      g.dest = Destination::ColourTable;
      colours_.clear();
      pendingColour_ = {};
      return;
    }
    if (IsIgnoredDestination(word)) {
      g.dest = Destination::Skip;
      return;
    }
    if (word == "uc") {
      g.ucSkip = parameter && *parameter >= 0 ? *parameter : 1;
      return;
    }
    if (word == "u") {
      if (!parameter) return;
      unicode(*parameter);
      skip_ = g.ucSkip;
      return;
    }
    if (skipOne()) return;
    if (g.dest != Destination::Text) return;
    if (word == "par") endParagraph(false);
    else if (word == "line") inline_("<br/>");
    else if (word == "tab") inline_(kTab);
    else if (word == "b") g.chars.bold = n != 0;
    else if (word == "i") g.chars.italic = n != 0;
    else if (word == "ul") g.chars.underline = n != 0;
    else if (word == "ulnone") g.chars.underline = false;
    else if (word == "fs") g.chars.halfPoints = n > 0 ? n : 0;
    else if (word == "cf") g.chars.colour = n > 0 ? n : 0;
    else if (word == "plain") g.chars = CharFormat{};
    else if (word == "pard") g.para = ParaFormat{};
    else if (word == "ql") g.para.align = 'l';
    else if (word == "qc") g.para.align = 'c';
    else if (word == "qr") g.para.align = 'r';
    else if (word == "qj") g.para.align = 'j';
    else if (word == "sb") g.para.spaceBefore = n;
    else if (word == "sa") g.para.spaceAfter = n;
    else if (word == "li") g.para.leftIndent = n;
    else if (word == "fi") g.para.firstIndent = n;
    else if (word == "emdash") text("\xE2\x80\x94");
    else if (word == "endash") text("\xE2\x80\x93");
    else if (word == "bullet") text("\xE2\x80\xA2");
    else if (word == "lquote") text("\xE2\x80\x98");
    else if (word == "rquote") text("\xE2\x80\x99");
    else if (word == "ldblquote") text("\xE2\x80\x9C");
    else if (word == "rdblquote") text("\xE2\x80\x9D");
  }

  void unicode(int value) {
    if (group().dest != Destination::Text) return;
    char32_t c = static_cast<char32_t>(value < 0 ? value + 65536 : value) & 0xFFFF;
    if (c >= 0xD800 && c <= 0xDBFF) {  // the first half of a pair: wait for the second
      highSurrogate_ = c;
      return;
    }
    if (c >= 0xDC00 && c <= 0xDFFF) {
      if (!highSurrogate_) return;
      c = 0x10000 + ((highSurrogate_ - 0xD800) << 10) + (c - 0xDC00);
    }
    highSurrogate_ = 0;
    std::string utf8;
    AppendUtf8(utf8, c);
    text(utf8);
  }

  void finishColourTable() {
    // a table whose last entry lacks its ';' still has that entry
    if (pendingColour_.red || pendingColour_.green || pendingColour_.blue) colours_.push_back(pendingColour_);
    pendingColour_ = {};
  }

  // Bytes of the code page collected so far, decoded in the format they were written in.
  void flushBytes() {
    if (bytes_.empty()) return;
    std::string utf8;
    try {
      if (!decoder_) decoder_.emplace();
      decoder_->Append(bytes_, utf8);
    } catch (const std::exception&) {
      utf8.clear();  // no converter: the bytes cannot be shown
    }
    bytes_.clear();
    text(utf8);
  }

  void text(std::string_view utf8) {
    if (utf8.empty() || group().dest != Destination::Text) return;
    openSpan();
    for (char c : utf8) {
      // HTML folds runs of blanks; the notes indent with them
      if (c == ' ') paragraph_ += lastWasSpace_ || !paragraphHasText_ ? "&nbsp;" : " ";
      else AppendEscaped(paragraph_, std::string_view(&c, 1));
      lastWasSpace_ = c == ' ';
      paragraphHasText_ = true;
    }
  }

  void inline_(std::string_view html) {
    if (group().dest != Destination::Text) return;
    openSpan();
    paragraph_ += html;
    paragraphHasText_ = true;
    lastWasSpace_ = false;
  }

  void openSpan() {
    const CharFormat& f = group().chars;
    if (spanOpen_ && f == spanFormat_) return;
    closeSpan();
    std::string style;
    if (f.bold) style += "font-weight:bold;";
    if (f.italic) style += "font-style:italic;";
    if (f.underline) style += "text-decoration:underline;";
    if (f.halfPoints > 0) {
      style += "font-size:" + std::to_string(f.halfPoints / 2);
      if (f.halfPoints % 2) style += ".5";
      style += "pt;";
    }
    if (f.colour > 0 && static_cast<std::size_t>(f.colour) < colours_.size()) {
      const Colour& c = colours_[static_cast<std::size_t>(f.colour)];
      char hex[8];
      std::snprintf(hex, sizeof hex, "#%02x%02x%02x", c.red & 0xFF, c.green & 0xFF, c.blue & 0xFF);
      style += std::string("color:") + hex + ";";
    }
    spanFormat_ = f;
    spanOpen_ = true;
    spanTagged_ = !style.empty();
    if (spanTagged_) paragraph_ += "<span style=\"" + style + "\">";
  }

  void closeSpan() {
    if (spanOpen_ && spanTagged_) paragraph_ += "</span>";
    spanOpen_ = false;
    spanTagged_ = false;
  }

  // \par ends a paragraph; the end of the document ends the last one when it holds text.
  void endParagraph(bool atEnd) {
    flushBytes();
    if (atEnd && !paragraphHasText_) return;
    closeSpan();
    const ParaFormat& p = group().para;
    html_ += "<p style=\"margin-top:" + Px(p.spaceBefore) + ";margin-bottom:" + Px(p.spaceAfter) +
             ";margin-left:" + Px(p.leftIndent) + ";text-indent:" + Px(p.firstIndent) + ";";
    if (p.align == 'c') html_ += "text-align:center;";
    else if (p.align == 'r') html_ += "text-align:right;";
    else if (p.align == 'j') html_ += "text-align:justify;";
    html_ += "\">";
    html_ += paragraphHasText_ ? paragraph_ : std::string("&nbsp;");
    html_ += "</p>\n";
    hasText_ = hasText_ || paragraphHasText_;
    paragraph_.clear();
    paragraphHasText_ = false;
    lastWasSpace_ = false;
  }

  std::string_view in_;
  std::size_t pos_ = 0;
  std::vector<Group> groups_;
  std::vector<Colour> colours_;
  Colour pendingColour_;
  std::string bytes_;
  std::optional<GbkDecoder> decoder_;
  int skip_ = 0;
  char32_t highSurrogate_ = 0;

  std::string html_;
  std::string paragraph_;
  bool paragraphHasText_ = false;
  bool lastWasSpace_ = false;
  bool hasText_ = false;
  bool spanOpen_ = false;
  bool spanTagged_ = false;
  CharFormat spanFormat_;
};

}  // namespace

std::string RtfToHtml(std::string_view rtf) { return Reader(rtf).run(); }

}  // namespace velmora::text

#include "core/db/translate.h"

#include <algorithm>
#include <cctype>

#include "core/base/text.h"

namespace velmora::db {

namespace {

enum class Tok { Space, Word, Number, Text, Bracket, Punct };

struct Token {
  Tok kind;
  std::string text;
};

bool IsWordStart(unsigned char c) { return std::isalpha(c) || c == '_' || c >= 0x80; }
bool IsWordChar(unsigned char c) { return std::isalnum(c) || c == '_' || c >= 0x80 || c == '$'; }

// Reads a quoted run starting at i (the quote character at s[i]); a doubled quote stays inside.
// Returns the unquoted content and moves i past the closing quote.
std::string ReadQuoted(const std::string& s, std::size_t& i, char quote) {
  std::string content;
  ++i;
  while (i < s.size()) {
    if (s[i] == quote) {
      if (i + 1 < s.size() && s[i + 1] == quote) {
        content += quote;
        i += 2;
        continue;
      }
      ++i;
      return content;
    }
    content += s[i++];
  }
  return content;  // unterminated: the engine reports it once the text is re-quoted
}

std::vector<Token> Tokenize(const std::string& s) {
  std::vector<Token> out;
  std::size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    std::size_t start = i;
    if (std::isspace(c)) {
      while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
      out.push_back({Tok::Space, s.substr(start, i - start)});
    } else if (c == '\'' || c == '"') {
      // Jet reads both apostrophes and double quotes as text delimiters.
      out.push_back({Tok::Text, ReadQuoted(s, i, static_cast<char>(c))});
    } else if (c == '[') {
      std::size_t close = s.find(']', i);
      if (close == std::string::npos) close = s.size() - 1;
      out.push_back({Tok::Bracket, s.substr(i, close - i + 1)});
      i = close + 1;
    } else if (std::isdigit(c) || (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
      while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '.')) ++i;
      out.push_back({Tok::Number, s.substr(start, i - start)});
    } else if (IsWordStart(c)) {
      while (i < s.size() && IsWordChar(static_cast<unsigned char>(s[i]))) ++i;
      out.push_back({Tok::Word, s.substr(start, i - start)});
    } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
      std::size_t nl = s.find('\n', i);
      i = nl == std::string::npos ? s.size() : nl;
      out.push_back({Tok::Space, " "});
    } else {
      static const char* two[] = {"<=", ">=", "<>", "!=", "==", "||"};
      std::string op(1, static_cast<char>(c));
      for (const char* t : two)
        if (s.compare(i, 2, t) == 0) op = t;
      i += op.size();
      out.push_back({Tok::Punct, op});
    }
  }
  return out;
}

std::string Requote(const Token& t) {
  if (t.kind != Tok::Text) return t.text;
  return QuoteText(t.text);
}

bool IsWord(const Token& t, const char* word) { return t.kind == Tok::Word && base::Lower(t.text) == word; }

// Index of the previous / next token that is not white space, or -1 / size.
long PrevSolid(const std::vector<Token>& v, long i) {
  for (--i; i >= 0; --i)
    if (v[i].kind != Tok::Space) return i;
  return -1;
}
long NextSolid(const std::vector<Token>& v, long i) {
  for (++i; i < static_cast<long>(v.size()); ++i)
    if (v[i].kind != Tok::Space) return i;
  return static_cast<long>(v.size());
}

std::string NameText(const Token& t) {
  if (t.kind == Tok::Bracket) return "\"" + t.text.substr(1, t.text.size() - 2) + "\"";
  return t.text;
}

// Rewrites one statement (no top-level ';').
std::string TranslateOne(std::vector<Token> v, std::vector<std::string>& files) {
  auto fileIndex = [&files](const std::string& f) {
    auto it = std::find(files.begin(), files.end(), f);
    if (it != files.end()) return static_cast<std::size_t>(it - files.begin());
    files.push_back(f);
    return files.size() - 1;
  };

  // "<table> in '<file>'": the table of another database file.
  for (long i = 0; i < static_cast<long>(v.size()); ++i) {
    if (!IsWord(v[i], "in")) continue;
    long f = NextSolid(v, i);
    long t = PrevSolid(v, i);
    if (f >= static_cast<long>(v.size()) || v[f].kind != Tok::Text || t < 0) continue;
    if (v[t].kind != Tok::Word && v[t].kind != Tok::Bracket) continue;
    std::size_t idx = fileIndex(v[f].text);
    v[t] = {Tok::Word, ExternalAlias(idx) + "." + NameText(v[t])};
    for (long k = t + 1; k <= f; ++k) v[k] = {Tok::Space, ""};
    i = f;
  }

  int depth = 0;
  long selectAt = -1, intoAt = -1, fromAt = -1;
  for (long i = 0; i < static_cast<long>(v.size()); ++i) {
    Token& t = v[i];
    if (t.kind == Tok::Punct) {
      if (t.text == "(") ++depth;
      else if (t.text == ")") --depth;
      else if (t.text == "/") t.text = "*1.0/";  // Jet divides as floating point
      else if (t.text == "&") t.text = "||";
      else if (t.text == "+") {
        long p = PrevSolid(v, i), n = NextSolid(v, i);
        bool textBeside = (p >= 0 && v[p].kind == Tok::Text) || (n < static_cast<long>(v.size()) && v[n].kind == Tok::Text);
        if (textBeside) t.text = "||";
      } else if (t.text == ",") {
        long n = NextSolid(v, i);
        if (n < static_cast<long>(v.size()) && v[n].kind == Tok::Punct && v[n].text == ")") t.text = ",NULL";
      }
    } else if (t.kind == Tok::Word) {
      std::string w = base::Lower(t.text);
      if (w == "mod") t.text = "%";
      if (depth == 0) {
        if (w == "select" && selectAt < 0 && intoAt < 0) selectAt = i;
        else if (w == "into" && selectAt >= 0 && intoAt < 0 && fromAt < 0) intoAt = i;
        else if (w == "from" && selectAt >= 0 && fromAt < 0) fromAt = i;
      }
    }
  }

  // "SELECT ... into T from S" makes a new table from the rows.
  std::string prefix;
  if (selectAt >= 0 && intoAt > selectAt) {
    bool onlySpaceBefore = true;
    for (long k = 0; k < selectAt; ++k) onlySpaceBefore = onlySpaceBefore && v[k].kind == Tok::Space;
    long target = NextSolid(v, intoAt);
    if (onlySpaceBefore && target < static_cast<long>(v.size())) {
      prefix = "CREATE TABLE " + NameText(v[target]) + " AS ";
      for (long k = intoAt; k <= target; ++k) v[k] = {Tok::Space, ""};
      for (long k = target + 1; k < static_cast<long>(v.size()) && v[k].kind == Tok::Space; ++k) v[k].text = "";
    }
  }

  std::string out = prefix;
  for (const Token& t : v) out += Requote(t);
  return out;
}

}  // namespace

std::string ExternalAlias(std::size_t index) { return "__vm_ext_" + std::to_string(index) + "__"; }

std::string QuoteText(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out + "'";
}

Translation TranslateJetSql(const std::string& statement) {
  Translation result;
  std::vector<Token> all = Tokenize(statement);
  std::vector<Token> current;
  for (Token& t : all) {
    if (t.kind == Tok::Punct && t.text == ";") {
      result.sql += TranslateOne(std::move(current), result.files) + ";";
      current.clear();
    } else {
      current.push_back(std::move(t));
    }
  }
  result.sql += TranslateOne(std::move(current), result.files);
  return result;
}

std::vector<std::string> SplitJetStatements(const std::string& text) {
  std::vector<std::string> statements;
  std::string current;
  bool solid = false;
  auto finish = [&] {
    if (solid) statements.push_back(current);
    current.clear();
    solid = false;
  };
  for (const Token& t : Tokenize(text)) {
    if (t.kind == Tok::Punct && t.text == ";") {
      finish();
    } else {
      current += Requote(t);
      solid = solid || t.kind != Tok::Space;
    }
  }
  finish();
  return statements;
}

}  // namespace velmora::db

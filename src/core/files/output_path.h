#pragma once
// Where an output file may go. No output is ever written over the open database (or its journal),
// over any database file (a plain one by its 16-byte header, a package by its marker), or over a
// file of another kind than the one being written; an existing file of the same kind is replaced
// only when the operation allows it. The path is judged before anything is changed.

#include <string>
#include <string_view>

namespace velmora::files {

struct OutputKind {
  std::string_view name;        // how a message calls such a file: "检查结果文件"
  std::string_view signature;   // the first bytes of every file of this kind; empty for databases
  bool database = false;        // the output is itself a database file
};

enum class OutputVerdict {
  Writable,  // new, empty, or a file of the same kind that may be replaced
  Exists,    // a file of the same kind that is replaced only when the user says so
  Refused,   // never written
};

struct OutputCheck {
  OutputVerdict verdict = OutputVerdict::Writable;
  std::string message;  // when not Writable: a text for the user naming the path and the reason
};

// `openDatabase`: the database the program has open ("" when none). `replaceSameKind`: an existing
// file of the same kind may be replaced (a report always may; a database only with the user's word).
OutputCheck CheckOutputPath(const std::string& path, const OutputKind& kind, const std::string& openDatabase,
                            bool replaceSameKind);

// True when the file is a database file: the plain header, a package or the older package marking.
bool IsDatabaseFile(const std::string& path);

}  // namespace velmora::files

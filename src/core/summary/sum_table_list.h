#pragma once
// The summary dialog's list of worksheets and its file "sumtable.vm": GBK text with CR LF, one line
// per entry, "&" + enabled flag + " " + check state + " " + text ("&1 1 封面"); a line without the
// leading "&" is an enabled, unchecked entry with the whole line as its text. Entries whose text
// begins with "//" are group headings: never enabled, never a worksheet. The n-th other entry is
// worksheet n.
//
// The file is kept in the program's folder; when that cannot be written it goes to the user's
// settings folder, which is read first from then on.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/summary/summary_workbook.h"

namespace velmora::summary {

inline constexpr const char* kSumTableFileName = "sumtable.vm";

struct SumTableEntry {
  std::string text;
  bool enabled = true;
  int state = 0;  // 0 unchecked, 1 checked, 2 grey

  bool heading() const { return text.rfind("//", 0) == 0; }
  bool operator==(const SumTableEntry&) const = default;
};

// The file's bytes read as entries: GBK, or UTF-8 when the bytes are UTF-8 with a character beyond
// ASCII (a byte order mark is skipped); LF or CR LF; blank lines skipped; a short "&" line keeps
// what it has (a missing state is unchecked, a missing text empty).
std::vector<SumTableEntry> ParseSumTable(std::string_view bytes);
// The entries as the file holds them (GBK, CR LF after every line).
std::string FormatSumTable(const std::vector<SumTableEntry>& entries);

// The ticks of the workbook's worksheets 1..20 (an entry beyond the 20th worksheet is ignored).
SheetTicks TicksOf(const std::vector<SumTableEntry>& entries);

// The file read: the user's settings folder first, then the program's folder. nullopt with a
// message for the user in `error` when neither holds it, it cannot be read or it lists no entry.
std::optional<std::vector<SumTableEntry>> LoadSumTable(const std::string& programFolder,
                                                       const std::string& settingsFolder, std::string& error);
// Writes the file into the program's folder (never an installed program's shipped files), or when
// that fails into the settings folder (created when missing). Returns the path written; nullopt with a message in `error` when neither can be
// written.
std::optional<std::string> SaveSumTable(const std::string& programFolder, const std::string& settingsFolder,
                                        const std::vector<SumTableEntry>& entries, std::string& error);

}  // namespace velmora::summary

#pragma once
// Every label, name, path and message the command line prints stays on its own line, whatever it
// holds: a script reading one record a line cannot be handed a forged line by a crafted package
// label, unit name or file name.

#include <string>
#include <string_view>

namespace velmora::cli {

// `text` as one line: "\n", "\r", "\t" and "\\" written as those two-character escapes, every other
// control byte (below 0x20, 0x7F, and the C1 controls U+0080 to U+009F) and every byte that is not
// part of well-formed UTF-8 written as "\xNN". Well-formed UTF-8 (Chinese text) passes unchanged.
std::string OneLine(std::string_view text);

}  // namespace velmora::cli

#pragma once
// A workbook the program writes at a path the user chose: judged by the output-path rules as a
// file of its own kind (a zip package), so it never goes over a database or a file of another kind.

#include "core/files/output_path.h"

namespace velmora::office {

inline constexpr files::OutputKind kWorkbookOutput{"工作簿文件", std::string_view("PK\x03\x04", 4), false};

}  // namespace velmora::office

#pragma once
// "Visible := true": a filled workbook is handed to the user as a file of its own in a folder the
// user reaches (the documents folder), opened in the desktop's default program.

#include <string>
#include <string_view>

#include "core/office/template_workbook.h"
#include "core/prompts/user_prompts.h"

namespace velmora::office {

// Saves the workbook in `folder` as "<baseName>-<yyyy-mm-dd-HHMMSS>.xlsx" (baseName made safe for a
// file name; "(2)", "(3)" ... before the extension when the name is taken; an existing file is never
// replaced), then opens it through OpenForUser(prompts, path, what). Returns the path saved.
// OfficeError when the folder cannot be written.
std::string HandToUser(TemplateWorkbook& workbook, UserPrompts& prompts, const std::string& folder,
                       std::string_view baseName, const std::string& what);

}  // namespace velmora::office

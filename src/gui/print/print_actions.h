#pragma once
// Printing a stored record as the annual report form, from the entry form's "打  印" and from the
// main window's actPrint: the print template filled behind the progress window, then opened.

#include <optional>
#include <string>

#include "core/print/record_print.h"
#include "gui/widgets/action_context.h"

namespace velmora::gui {

// Prints the record `code` over the context's window; every failure is shown to the user. Returns
// the saved workbook's path.
std::optional<std::string> RunPrintAction(ActionContext& context, const std::string& code, print::PrintOrigin origin);

// actPrint: the list's current record; nothing when the list has none.
void RunPrintAction(ActionContext& context);

}  // namespace velmora::gui

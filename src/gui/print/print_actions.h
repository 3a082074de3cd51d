#pragma once
// Printing a stored record as the annual report form, from the entry form's "打  印" and from the
// main window's actPrint: the print template filled behind the progress window, then opened.

#include <optional>
#include <string>

#include "core/print/record_print.h"

class QWidget;

namespace velmora::session {
class DatabaseSession;
}

namespace velmora::gui {

// Prints the record `code`; every failure is shown to the user. Returns the saved workbook's path.
std::optional<std::string> RunPrintAction(session::DatabaseSession& session, QWidget* parent, const std::string& code,
                                          print::PrintOrigin origin);

}  // namespace velmora::gui

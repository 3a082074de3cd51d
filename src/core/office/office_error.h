#pragma once
// A workbook operation that failed: a template that cannot be opened, a cell address the sheet
// cannot hold, a package part the editor cannot move, a save that did not complete. Its text is
// shown to the user as it stands.

#include <stdexcept>
#include <string>

namespace velmora::office {

class OfficeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace velmora::office

#pragma once
// velmora-cli print: the annual report form of one record, the print template filled and saved.

namespace velmora::cli {

struct VerbCall;

// --code C901 --out FILE.xlsx: prints "print: PATH"; 1 with the window's message when the template
// cannot be opened, a catalogue cell cannot be written or the workbook cannot be saved.
int RunPrint(VerbCall& call);

}  // namespace velmora::cli

// velmora-mktemplate print DATABASE LAYOUT OUT.xltx     the annual report form
// velmora-mktemplate summary DATABASE LAYOUT OUT.xltx   the summary workbook
// velmora-mktemplate list SOURCE OUT                    a check list file ("&E C text" lines), GBK
// velmora-mktemplate lines SOURCE OUT                   the source's lines, GBK
#include <cstring>
#include <exception>
#include <iostream>

#include "forms.h"

int main(int argc, char** argv) {
  using namespace velmora::mktemplate;
  try {
    const std::string verb = argc > 1 ? argv[1] : "";
    if ((verb == "print" || verb == "summary") && argc == 5) {
      const auto catalogue = ReadCatalogue(argv[2]);
      WriteTemplate(verb == "print" ? PrintForm(catalogue, argv[3]) : SummaryForm(catalogue, argv[3]), argv[4]);
      return 0;
    }
    if ((verb == "list" || verb == "lines") && argc == 4) {
      WriteGbkLines(argv[2], argv[3], verb == "list");
      return 0;
    }
    std::cerr << "usage: velmora-mktemplate print|summary DATABASE LAYOUT OUT | list|lines SOURCE OUT\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "velmora-mktemplate: " << e.what() << "\n";
    return 1;
  }
}

#pragma once
// The cell styles of a workbook (xl/styles.xml). A change of format, font or alignment makes a
// copy of the cell's style with that one change; the same change of the same style gives the same
// copy, so a filled range adds one style, not one per cell.

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <tuple>

#include <pugixml.hpp>

#include "core/office/template_workbook.h"

namespace velmora::office::detail {

class StylesPart {
 public:
  StylesPart() = default;
  explicit StylesPart(const std::string& xml);

  bool present() const { return present_; }
  // The style shows its cell as text ("@": number format 49, or a custom format "@").
  bool isTextFormat(int xf) const;
  int withNumberFormat(int xf, std::string_view formatCode);
  int withFont(int xf, bool bold, double size);
  // The style's own font, bold and in the colour `argb` ("FFFF0000").
  int withBoldColor(int xf, std::string_view argb);
  int withAlignment(int xf, HorizontalAlignment alignment);
  // A thin line on each of the four edges (the border the headings of the program's templates use).
  int withThinBorder(int xf);

  bool changed() const { return changed_; }
  std::string xml() const;

 private:
  pugi::xml_node xfNode(int xf) const;
  int cloneXf(int xf, const std::string& key, const std::function<void(pugi::xml_node)>& change);
  // A copy of style `xf` with a copy of its font changed by `change` (made once per key).
  int withChangedFont(int xf, const std::string& key, const std::function<void(pugi::xml_node)>& change);
  int numberFormatId(std::string_view code);
  int thinBorderId();

  pugi::xml_document doc_;
  bool present_ = false;
  bool changed_ = false;
  std::map<std::pair<int, std::string>, int> copies_;
  int thinBorder_ = -1;
};

}  // namespace velmora::office::detail

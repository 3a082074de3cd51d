#include "core/office/styles_part.h"

#include <functional>
#include <sstream>

#include "core/db/variant.h"
#include "core/office/office_error.h"

namespace velmora::office::detail {

namespace {

struct BuiltInFormat {
  int id;
  std::string_view code;
};
constexpr BuiltInFormat kBuiltIn[] = {{0, "General"}, {1, "0"},      {2, "0.00"},  {3, "#,##0"},
                                      {4, "#,##0.00"}, {9, "0%"},    {10, "0.00%"}, {49, "@"}};

void SetCount(pugi::xml_node list) {
  int count = 0;
  for (pugi::xml_node child : list.children()) count += child.type() == pugi::node_element ? 1 : 0;
  if (pugi::xml_attribute a = list.attribute("count"))
    a.set_value(count);
  else
    list.prepend_attribute("count").set_value(count);
}

int ElementCount(pugi::xml_node list) {
  int count = 0;
  for (pugi::xml_node child : list.children()) count += child.type() == pugi::node_element ? 1 : 0;
  return count;
}

void SetAttribute(pugi::xml_node node, const char* name, const char* value) {
  pugi::xml_attribute a = node.attribute(name);
  if (!a) a = node.append_attribute(name);
  a.set_value(value);
}

}  // namespace

StylesPart::StylesPart(const std::string& xml) {
  present_ = doc_.load_buffer(xml.data(), xml.size(), pugi::parse_default | pugi::parse_declaration |
                                                             pugi::parse_ws_pcdata) &&
             doc_.child("styleSheet").child("cellXfs");
}

pugi::xml_node StylesPart::xfNode(int xf) const {
  int i = 0;
  for (pugi::xml_node node : doc_.child("styleSheet").child("cellXfs").children("xf"))
    if (i++ == xf) return node;
  return {};
}

bool StylesPart::isTextFormat(int xf) const {
  if (!present_) return false;
  pugi::xml_node node = xfNode(xf);
  if (!node) return false;
  const int id = node.attribute("numFmtId").as_int(0);
  if (id == 49) return true;
  for (pugi::xml_node format : doc_.child("styleSheet").child("numFmts").children("numFmt"))
    if (format.attribute("numFmtId").as_int(-1) == id) return std::string_view(format.attribute("formatCode").value()) == "@";
  return false;
}

int StylesPart::cloneXf(int xf, const std::string& key, const std::function<void(pugi::xml_node)>& change) {
  if (!present_) throw OfficeError("工作簿缺少样式部件，无法设置格式");
  auto found = copies_.find({xf, key});
  if (found != copies_.end()) return found->second;
  pugi::xml_node list = doc_.child("styleSheet").child("cellXfs");
  pugi::xml_node source = xfNode(xf);
  if (!source) source = xfNode(0);
  pugi::xml_node copy = source ? list.append_copy(source) : list.append_child("xf");
  change(copy);
  SetCount(list);
  changed_ = true;
  const int index = ElementCount(list) - 1;
  copies_[{xf, key}] = index;
  copies_[{index, key}] = index;  // the same change again keeps the copy
  return index;
}

int StylesPart::numberFormatId(std::string_view code) {
  for (const auto& b : kBuiltIn)
    if (b.code == code) return b.id;
  pugi::xml_node sheet = doc_.child("styleSheet");
  pugi::xml_node formats = sheet.child("numFmts");
  int highest = 163;
  for (pugi::xml_node format : formats.children("numFmt")) {
    if (std::string_view(format.attribute("formatCode").value()) == code) return format.attribute("numFmtId").as_int();
    highest = std::max(highest, format.attribute("numFmtId").as_int());
  }
  if (!formats) formats = sheet.prepend_child("numFmts");  // numFmts comes first in the style sheet
  pugi::xml_node format = formats.append_child("numFmt");
  format.append_attribute("numFmtId").set_value(highest + 1);
  format.append_attribute("formatCode").set_value(std::string(code).c_str());
  SetCount(formats);
  changed_ = true;
  return highest + 1;
}

int StylesPart::withNumberFormat(int xf, std::string_view formatCode) {
  if (!present_) throw OfficeError("工作簿缺少样式部件，无法设置格式");
  const int id = numberFormatId(formatCode);
  return cloneXf(xf, "numFmt:" + std::string(formatCode), [&](pugi::xml_node node) {
    SetAttribute(node, "numFmtId", std::to_string(id).c_str());
    SetAttribute(node, "applyNumberFormat", "1");
  });
}

int StylesPart::withChangedFont(int xf, const std::string& key, const std::function<void(pugi::xml_node)>& change) {
  if (!present_) throw OfficeError("工作簿缺少样式部件，无法设置格式");
  auto found = copies_.find({xf, key});
  if (found != copies_.end()) return found->second;
  pugi::xml_node fonts = doc_.child("styleSheet").child("fonts");
  if (!fonts) throw OfficeError("工作簿的样式部件没有字体，无法设置字体");
  pugi::xml_node base = xfNode(xf);
  const int fontId = base ? base.attribute("fontId").as_int(0) : 0;
  pugi::xml_node sourceFont;
  int i = 0;
  for (pugi::xml_node f : fonts.children("font"))
    if (i++ == fontId) sourceFont = f;
  pugi::xml_node font = sourceFont ? fonts.append_copy(sourceFont) : fonts.append_child("font");
  change(font);
  SetCount(fonts);
  const int newFont = ElementCount(fonts) - 1;
  return cloneXf(xf, key, [&](pugi::xml_node node) {
    SetAttribute(node, "fontId", std::to_string(newFont).c_str());
    SetAttribute(node, "applyFont", "1");
  });
}

int StylesPart::withFont(int xf, bool bold, double size) {
  const std::string key = std::string("font:") + (bold ? "b" : "") + db::FormatNumber(size);
  return withChangedFont(xf, key, [&](pugi::xml_node font) {
    font.remove_child("b");
    if (bold) font.prepend_child("b");
    pugi::xml_node sz = font.child("sz");
    if (!sz) sz = font.append_child("sz");
    sz.remove_attribute("val");
    sz.append_attribute("val").set_value(db::FormatNumber(size).c_str());
  });
}

int StylesPart::withBoldColor(int xf, std::string_view argb) {
  return withChangedFont(xf, "boldColor:" + std::string(argb), [&](pugi::xml_node font) {
    font.remove_child("b");
    font.prepend_child("b");
    // A font's children keep their order: the colour follows the size and comes before the name.
    font.remove_child("color");
    pugi::xml_node color;
    if (pugi::xml_node sz = font.child("sz")) {
      color = font.insert_child_after("color", sz);
    } else {
      pugi::xml_node next;
      for (const char* after : {"name", "family", "charset", "scheme"})
        if (!next) next = font.child(after);
      color = next ? font.insert_child_before("color", next) : font.append_child("color");
    }
    color.append_attribute("rgb").set_value(std::string(argb).c_str());
  });
}

int StylesPart::withAlignment(int xf, HorizontalAlignment alignment) {
  const char* value = alignment == HorizontalAlignment::Left     ? "left"
                      : alignment == HorizontalAlignment::Center ? "center"
                      : alignment == HorizontalAlignment::Right  ? "right"
                                                                 : nullptr;
  return cloneXf(xf, std::string("align:") + (value ? value : "general"), [&](pugi::xml_node node) {
    pugi::xml_node align = node.child("alignment");
    if (!align) align = node.prepend_child("alignment");  // alignment is the first child of a style
    align.remove_attribute("horizontal");
    if (value) align.prepend_attribute("horizontal").set_value(value);
    SetAttribute(node, "applyAlignment", "1");
  });
}

namespace {

constexpr const char* kEdges[] = {"left", "right", "top", "bottom"};

// A thin edge in the automatic (window text) colour.
bool ThinAutomaticEdge(pugi::xml_node edge) {
  if (std::string_view(edge.attribute("style").value()) != "thin") return false;
  pugi::xml_node color = edge.child("color");
  return !color || color.attribute("auto").as_bool() || color.attribute("indexed").as_int(-1) == 64;
}

}  // namespace

int StylesPart::thinBorderId() {
  if (thinBorder_ >= 0) return thinBorder_;
  pugi::xml_node borders = doc_.child("styleSheet").child("borders");
  if (!borders) throw OfficeError("工作簿的样式部件没有边框，无法设置边框");
  int index = 0;
  for (pugi::xml_node border : borders.children("border")) {
    bool thin = !border.child("diagonal").attribute("style");
    for (const char* edge : kEdges) thin = thin && ThinAutomaticEdge(border.child(edge));
    if (thin) return thinBorder_ = index;
    ++index;
  }
  pugi::xml_node border = borders.append_child("border");
  for (const char* edge : kEdges) {
    pugi::xml_node side = border.append_child(edge);
    side.append_attribute("style").set_value("thin");
    side.append_child("color").append_attribute("auto").set_value("1");
  }
  border.append_child("diagonal");
  SetCount(borders);
  changed_ = true;
  return thinBorder_ = ElementCount(borders) - 1;
}

int StylesPart::withThinBorder(int xf) {
  if (!present_) throw OfficeError("工作簿缺少样式部件，无法设置格式");
  const std::string key = "border:thin";
  auto found = copies_.find({xf, key});
  if (found != copies_.end()) return found->second;
  const std::string id = std::to_string(thinBorderId());
  return cloneXf(xf, key, [&](pugi::xml_node node) {
    SetAttribute(node, "borderId", id.c_str());
    SetAttribute(node, "applyBorder", "1");
  });
}

std::string StylesPart::xml() const {
  std::ostringstream out;
  doc_.save(out, "", pugi::format_raw | pugi::format_no_declaration);
  return out.str();
}

}  // namespace velmora::office::detail

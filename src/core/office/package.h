#pragma once
// The parts of a workbook package (a zip file) held in memory: read whole at open, written whole
// at save. A part nobody changed is written with the bytes it was read with.

#include <string>
#include <string_view>
#include <vector>

namespace velmora::office::detail {

struct PackagePart {
  std::string name;  // "xl/workbook.xml", without a leading '/'
  std::string data;
};

class Package {
 public:
  // Throws OfficeError with a text for the user: missing file, empty file, not a zip file.
  static Package Read(const std::string& path);

  std::string* find(std::string_view name);
  const std::string* find(std::string_view name) const;
  void put(std::string_view name, std::string data);  // replaces the part or adds it at the end
  void remove(std::string_view name);
  // The whole package as zip bytes, "[Content_Types].xml" first.
  std::string zipBytes() const;

  const std::vector<PackagePart>& parts() const { return parts_; }

 private:
  std::vector<PackagePart> parts_;
};

// The part a relationship of `sourcePart` targets ("worksheets/sheet1.xml" from "xl/workbook.xml"
// is "xl/worksheets/sheet1.xml"; "/xl/styles.xml" is absolute).
std::string ResolvePartName(std::string_view sourcePart, std::string_view target);
// The relationships part of a part: "xl/_rels/workbook.xml.rels"; "_rels/.rels" for the package.
std::string RelationshipsPartOf(std::string_view part);

}  // namespace velmora::office::detail

#pragma once
// The parts of a workbook package (a zip file) held in memory: read whole at open, written whole
// at save. A part nobody changed is written with the bytes it was read with.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::office::detail {

// What a package from elsewhere may hold. The sizes are checked against what the zip declares and
// again while each entry is inflated, so a package that lies about its sizes stops at the limit.
struct PackageLimits {
  std::uint64_t entries = 10'000;
  std::uint64_t entryBytes = 64ull << 20;   // one part, unpacked
  std::uint64_t totalBytes = 256ull << 20;  // all parts, unpacked
};

struct PackagePart {
  std::string name;  // "xl/workbook.xml", without a leading '/'
  std::string data;
};

class Package {
 public:
  // Throws OfficeError with a text for the user: missing file, empty file, not a zip file, or a
  // package refused: beyond the limits, a part named outside the package ("..", "/x", "C:x",
  // control characters), an XML part with a document type declaration.
  static Package Read(const std::string& path, const PackageLimits& limits = {});

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

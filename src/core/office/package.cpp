#include "core/office/package.h"

#include <zip.h>

#include <filesystem>
#include <memory>

#include "core/base/paths.h"
#include "core/base/quoting.h"
#include "core/office/office_error.h"

namespace velmora::office::detail {

namespace {

namespace fs = std::filesystem;

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};

struct EntryCloser {
  void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};

// A part's name as the user may read it: control characters shown as \xNN.
std::string ShownName(std::string_view name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (const char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) {
      shown += "\\x";
      shown += kHex[c >> 4];
      shown += kHex[c & 0xF];
    } else {
      shown += ch;
    }
  }
  return shown;
}

std::string SizeText(std::uint64_t bytes) {
  if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) return std::to_string(bytes >> 20) + " MB";
  return std::to_string(bytes) + " 字节";
}

// A name that would place the part outside the package when unpacked or copied: "..", an absolute
// path, a drive letter, or a control character anywhere.
bool NameLeavesPackage(std::string_view name) {
  if (name.empty()) return true;
  for (const char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x20 || c == 0x7F) return true;
  }
  if (name.front() == '/' || name.front() == '\\') return true;
  const auto first = static_cast<unsigned char>(name[0]);
  if (name.size() >= 2 && name[1] == ':' && ((first | 0x20) >= 'a' && (first | 0x20) <= 'z')) return true;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of("/\\", start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

bool EndsWithNoCase(std::string_view text, std::string_view end) {
  if (text.size() < end.size()) return false;
  for (size_t i = 0; i < end.size(); ++i) {
    const char a = text[text.size() - end.size() + i];
    if ((a >= 'A' && a <= 'Z' ? static_cast<char>(a + 32) : a) != end[i]) return false;
  }
  return true;
}

// True for an XML part (by its name, or bytes that begin as markup) holding a document type
// declaration. A part in UTF-16 is looked at with its zero bytes dropped.
bool DeclaresDocumentType(std::string_view name, std::string_view data) {
  std::string narrow;
  const bool wide = data.size() >= 2 && (data.substr(0, 2) == "\xFF\xFE" || data.substr(0, 2) == "\xFE\xFF" ||
                                         data[0] == '\0' || data[1] == '\0');
  if (wide) {
    narrow.reserve(data.size() / 2);
    for (const char c : data)
      if (c != '\0') narrow += c;
    data = narrow;
  }
  const bool xml = EndsWithNoCase(name, ".xml") || EndsWithNoCase(name, ".rels") || EndsWithNoCase(name, ".vml") ||
                   [&] {
                     size_t i = data.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
                     while (i < data.size() && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n')) ++i;
                     return i < data.size() && data[i] == '<';
                   }();
  if (!xml) return false;
  constexpr std::string_view kDoctype = "doctype";
  for (size_t at = data.find("<!"); at != std::string_view::npos; at = data.find("<!", at + 2)) {
    if (data.size() - at - 2 < kDoctype.size()) break;
    bool same = true;
    for (size_t i = 0; i < kDoctype.size() && same; ++i) {
      const char c = data[at + 2 + i];
      same = (c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c) == kDoctype[i];
    }
    if (same) return true;
  }
  return false;
}

}  // namespace

Package Package::Read(const std::string& path, const PackageLimits& limits) {
  std::error_code ec;
  const fs::path file = base::PathFromUtf8(path);
  if (!fs::exists(file, ec)) throw OfficeError("找不到工作簿文件" + base::QuotedPath(path));
  if (!fs::is_regular_file(file, ec)) throw OfficeError("无法打开工作簿文件" + base::QuotedPath(path) + "：它不是普通文件");
  if (fs::file_size(file, ec) == 0) throw OfficeError("工作簿文件" + base::QuotedPath(path) + "是空文件");
  int error = 0;
  std::unique_ptr<zip_t, ArchiveCloser> archive(zip_open(file.string().c_str(), ZIP_RDONLY, &error));
  if (!archive) {
    if (error == ZIP_ER_NOZIP || error == ZIP_ER_INCONS)
      throw OfficeError("文件" + base::QuotedPath(path) + "不是工作簿文件（不是 Excel 2007 及以上版本的格式）");
    zip_error_t ze;
    zip_error_init_with_code(&ze, error);
    std::string text = zip_error_strerror(&ze);
    zip_error_fini(&ze);
    throw OfficeError("无法打开工作簿文件" + base::QuotedPath(path) + "：" + text);
  }
  const std::string damaged = "工作簿文件" + base::QuotedPath(path) + "已损坏";
  const std::string refused = "工作簿文件" + base::QuotedPath(path) + "不能使用：";
  const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
  if (count < 0) throw OfficeError(damaged);
  if (static_cast<std::uint64_t>(count) > limits.entries)
    throw OfficeError(refused + "其中有" + std::to_string(count) + "个部件，多于" + std::to_string(limits.entries) + "个");

  // Names and declared sizes first: a package refused for them is refused before anything is inflated.
  struct Entry {
    zip_uint64_t index;
    std::string name;
    std::uint64_t declared;
  };
  std::vector<Entry> entries;
  std::uint64_t declaredTotal = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
      throw OfficeError(damaged);
    std::string name = st.name;
    // The library shows a name with control characters as code page 437 text: the stored bytes
    // are checked too.
    const char* raw = zip_get_name(archive.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
    if (NameLeavesPackage(name) || !raw || NameLeavesPackage(raw))
      throw OfficeError(refused + "部件名" + base::QuotedPath(ShownName(raw ? raw : name)) + "指向工作簿以外的位置");
    if (name.back() == '/') continue;  // a folder entry
    const std::uint64_t declared = (st.valid & ZIP_STAT_SIZE) ? st.size : 0;
    if (declared > limits.entryBytes)
      throw OfficeError(refused + "部件" + base::QuotedPath(name) + "解压后大于" + SizeText(limits.entryBytes));
    declaredTotal += declared;
    if (declaredTotal > limits.totalBytes)
      throw OfficeError(refused + "全部部件解压后大于" + SizeText(limits.totalBytes));
    entries.push_back({static_cast<zip_uint64_t>(i), std::move(name), declared});
  }

  // Inflated in bounded chunks: the declared sizes are not trusted.
  Package package;
  std::uint64_t total = 0;
  std::vector<char> chunk(1 << 16);
  for (Entry& e : entries) {
    std::unique_ptr<zip_file_t, EntryCloser> entry(zip_fopen_index(archive.get(), e.index, 0));
    if (!entry) throw OfficeError(damaged + "：无法读出" + e.name);
    std::string data;
    data.reserve(static_cast<size_t>(e.declared));
    for (;;) {
      const zip_int64_t read = zip_fread(entry.get(), chunk.data(), chunk.size());
      if (read < 0) throw OfficeError(damaged + "：无法读出" + e.name);
      if (read == 0) break;
      const auto n = static_cast<std::uint64_t>(read);
      if (data.size() + n > limits.entryBytes)
        throw OfficeError(refused + "部件" + base::QuotedPath(e.name) + "解压后大于" + SizeText(limits.entryBytes));
      total += n;
      if (total > limits.totalBytes) throw OfficeError(refused + "全部部件解压后大于" + SizeText(limits.totalBytes));
      data.append(chunk.data(), static_cast<size_t>(n));
    }
    if (DeclaresDocumentType(e.name, data))
      throw OfficeError(refused + "部件" + base::QuotedPath(e.name) + "含有文档类型声明（<!DOCTYPE>）");
    package.parts_.push_back({std::move(e.name), std::move(data)});
  }
  return package;
}

std::string* Package::find(std::string_view name) {
  for (auto& part : parts_)
    if (part.name == name) return &part.data;
  return nullptr;
}

const std::string* Package::find(std::string_view name) const {
  for (const auto& part : parts_)
    if (part.name == name) return &part.data;
  return nullptr;
}

void Package::put(std::string_view name, std::string data) {
  if (std::string* existing = find(name)) {
    *existing = std::move(data);
    return;
  }
  parts_.push_back({std::string(name), std::move(data)});
}

void Package::remove(std::string_view name) {
  std::erase_if(parts_, [&](const PackagePart& p) { return p.name == name; });
}

std::string Package::zipBytes() const {
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
  if (!buffer) throw OfficeError("无法生成工作簿：" + std::string(zip_error_strerror(&error)));
  zip_source_keep(buffer);
  zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
  if (!archive) {
    zip_source_free(buffer);
    throw OfficeError("无法生成工作簿：" + std::string(zip_error_strerror(&error)));
  }
  auto fail = [&](const std::string& what) {
    std::string text = zip_strerror(archive);
    zip_discard(archive);
    zip_source_free(buffer);
    throw OfficeError("无法生成工作簿（" + what + "）：" + text);
  };
  std::vector<const PackagePart*> order;
  for (const auto& part : parts_)
    if (part.name == "[Content_Types].xml") order.push_back(&part);
  for (const auto& part : parts_)
    if (part.name != "[Content_Types].xml") order.push_back(&part);
  for (const PackagePart* part : order) {
    zip_source_t* source = zip_source_buffer(archive, part->data.data(), part->data.size(), 0);
    if (!source) fail(part->name);
    const zip_int64_t index = zip_file_add(archive, part->name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      fail(part->name);
    }
    zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), 315532800 + 86400, 0);  // 1980-01-02
  }
  if (zip_close(archive) != 0) fail("zip");
  std::string bytes;
  if (zip_source_open(buffer) == 0) {
    char chunk[65536];
    zip_int64_t n = 0;
    while ((n = zip_source_read(buffer, chunk, sizeof chunk)) > 0) bytes.append(chunk, static_cast<size_t>(n));
    zip_source_close(buffer);
  }
  zip_source_free(buffer);
  if (bytes.empty()) throw OfficeError("无法生成工作簿");
  return bytes;
}

std::string ResolvePartName(std::string_view sourcePart, std::string_view target) {
  std::string joined;
  if (!target.empty() && target.front() == '/') {
    joined = std::string(target.substr(1));
  } else {
    const size_t slash = sourcePart.rfind('/');
    joined = (slash == std::string_view::npos ? std::string() : std::string(sourcePart.substr(0, slash + 1))) +
             std::string(target);
  }
  std::vector<std::string> pieces;
  size_t start = 0;
  while (start <= joined.size()) {
    size_t slash = joined.find('/', start);
    if (slash == std::string::npos) slash = joined.size();
    std::string piece = joined.substr(start, slash - start);
    if (piece == "..") {
      if (!pieces.empty()) pieces.pop_back();
    } else if (!piece.empty() && piece != ".") {
      pieces.push_back(piece);
    }
    start = slash + 1;
  }
  std::string name;
  for (const auto& piece : pieces) name += (name.empty() ? "" : "/") + piece;
  return name;
}

std::string RelationshipsPartOf(std::string_view part) {
  if (part.empty()) return "_rels/.rels";
  const size_t slash = part.rfind('/');
  if (slash == std::string_view::npos) return "_rels/" + std::string(part) + ".rels";
  return std::string(part.substr(0, slash)) + "/_rels/" + std::string(part.substr(slash + 1)) + ".rels";
}

}  // namespace velmora::office::detail

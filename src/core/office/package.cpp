#include "core/office/package.h"

#include <zip.h>

#include <filesystem>
#include <memory>

#include "core/db/database_files.h"
#include "core/office/office_error.h"

namespace velmora::office::detail {

namespace {

namespace fs = std::filesystem;

std::string Quoted(const std::string& path) { return "“" + path + "”"; }

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};

}  // namespace

Package Package::Read(const std::string& path) {
  std::error_code ec;
  const fs::path file = db::PathFromUtf8(path);
  if (!fs::exists(file, ec)) throw OfficeError("找不到工作簿文件" + Quoted(path));
  if (!fs::is_regular_file(file, ec)) throw OfficeError("无法打开工作簿文件" + Quoted(path) + "：它不是普通文件");
  if (fs::file_size(file, ec) == 0) throw OfficeError("工作簿文件" + Quoted(path) + "是空文件");
  int error = 0;
  std::unique_ptr<zip_t, ArchiveCloser> archive(zip_open(file.string().c_str(), ZIP_RDONLY, &error));
  if (!archive) {
    if (error == ZIP_ER_NOZIP || error == ZIP_ER_INCONS)
      throw OfficeError("文件" + Quoted(path) + "不是工作簿文件（不是 Excel 2007 及以上版本的格式）");
    zip_error_t ze;
    zip_error_init_with_code(&ze, error);
    std::string text = zip_error_strerror(&ze);
    zip_error_fini(&ze);
    throw OfficeError("无法打开工作簿文件" + Quoted(path) + "：" + text);
  }
  Package package;
  const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), 0, &st) != 0 || !(st.valid & ZIP_STAT_NAME))
      throw OfficeError("工作簿文件" + Quoted(path) + "已损坏");
    std::string name = st.name;
    if (!name.empty() && name.back() == '/') continue;  // a folder entry
    std::string data(static_cast<size_t>(st.size), '\0');
    zip_file_t* entry = zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(i), 0);
    if (!entry) throw OfficeError("工作簿文件" + Quoted(path) + "已损坏：无法读出" + name);
    const zip_int64_t read = data.empty() ? 0 : zip_fread(entry, data.data(), data.size());
    zip_fclose(entry);
    if (read != static_cast<zip_int64_t>(data.size()))
      throw OfficeError("工作簿文件" + Quoted(path) + "已损坏：无法读出" + name);
    package.parts_.push_back({std::move(name), std::move(data)});
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

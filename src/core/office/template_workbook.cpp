#include "core/office/template_workbook.h"

#include <algorithm>
#include <set>

#include "core/base/quoting.h"
#include "core/files/atomic_file.h"
#include "core/office/formula_refs.h"
#include "core/office/office_error.h"
#include "core/office/workbook_data.h"

namespace velmora::office {

namespace detail {

namespace {

constexpr std::string_view kTemplateType = "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml";
constexpr std::string_view kWorkbookType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";

// The attribute "r:id" whatever its prefix.
std::string RelationshipId(pugi::xml_node node) {
  for (pugi::xml_attribute a : node.attributes()) {
    const std::string_view name = a.name();
    if (name.size() > 3 && name.ends_with(":id")) return a.value();
  }
  return {};
}

// The target of the first relationship of that type (by the end of its type), as a part name.
std::string TargetOfType(const pugi::xml_document& rels, std::string_view source, std::string_view typeEnd) {
  for (pugi::xml_node r : rels.document_element().children())
    if (std::string_view(r.attribute("Type").value()).ends_with(typeEnd) && std::string_view(r.attribute("TargetMode").value()) != "External")
      return ResolvePartName(source, r.attribute("Target").value());
  return {};
}

size_t Utf16Length(std::string_view utf8) {
  size_t units = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if ((c & 0xC0) != 0x80) units += c >= 0xF0 ? 2 : 1;
  }
  return units;
}

void SetAttribute(pugi::xml_node node, const char* name, const std::string& value) {
  pugi::xml_attribute a = node.attribute(name);
  if (!a) a = node.append_attribute(name);
  a.set_value(value.c_str());
}

}  // namespace

std::unique_ptr<WorkbookData> WorkbookData::Load(const std::string& path) {
  auto book = std::make_unique<WorkbookData>();
  book->package = Package::Read(path);
  const std::string noWorkbook = "文件" + base::QuotedPath(path) + "不是工作簿：其中没有工作簿部件";
  pugi::xml_document rootRels;
  const std::string* rootRelsData = book->package.find("_rels/.rels");
  if (!rootRelsData || !LoadXml(rootRels, *rootRelsData)) throw OfficeError(noWorkbook);
  book->workbookPart = TargetOfType(rootRels, "", "/officeDocument");
  const std::string* workbookData = book->package.find(book->workbookPart);
  if (book->workbookPart.empty() || !workbookData) throw OfficeError(noWorkbook);
  const std::string damaged = "工作簿文件" + base::QuotedPath(path) + "已损坏";
  if (!LoadXml(book->workbook, *workbookData) || LocalName(book->workbook.document_element()) != "workbook")
    throw OfficeError(noWorkbook);
  const std::string* rels = book->package.find(RelationshipsPartOf(book->workbookPart));
  const std::string* types = book->package.find("[Content_Types].xml");
  if (!rels || !LoadXml(book->workbookRels, *rels) || !types || !LoadXml(book->contentTypes, *types))
    throw OfficeError(damaged);
  book->appPart = TargetOfType(rootRels, "", "/extended-properties");
  if (const std::string* app = book->package.find(book->appPart); !(app && LoadXml(book->app, *app)))
    book->appPart.clear();
  book->stylesPart = TargetOfType(book->workbookRels, book->workbookPart, "/styles");
  book->sharedStringsPart = TargetOfType(book->workbookRels, book->workbookPart, "/sharedStrings");
  for (pugi::xml_node sheet : book->workbook.document_element().child("sheets").children("sheet")) {
    const std::string id = RelationshipId(sheet);
    std::string part;
    for (pugi::xml_node r : book->workbookRels.document_element().children())
      if (id == r.attribute("Id").value()) part = ResolvePartName(book->workbookPart, r.attribute("Target").value());
    if (part.empty() || !book->package.find(part)) throw OfficeError(damaged + "：工作表" + base::QuotedPath(sheet.attribute("name").value()) + "缺失");
    book->sheets.push_back(MakeSheet(*book, sheet.attribute("name").value(), part));
  }
  if (book->sheets.empty()) throw OfficeError(noWorkbook);
  return book;
}

StylesPart& WorkbookData::stylesOf() {
  if (!styles) {
    const std::string* data = stylesPart.empty() ? nullptr : package.find(stylesPart);
    styles = data ? std::make_unique<StylesPart>(*data) : std::make_unique<StylesPart>();
  }
  return *styles;
}

const std::string& WorkbookData::sharedString(size_t index) {
  if (!sharedStrings) {
    sharedStrings = std::make_unique<std::vector<std::string>>();
    pugi::xml_document doc;
    const std::string* data = sharedStringsPart.empty() ? nullptr : package.find(sharedStringsPart);
    if (data && LoadXml(doc, *data))
      for (pugi::xml_node si : doc.document_element().children("si")) {
        std::string text;
        for (pugi::xml_node child : si.children()) {
          if (LocalName(child) == "t") text += child.text().get();
          if (LocalName(child) == "r") text += child.child("t").text().get();
        }
        sharedStrings->push_back(DecodeCellText(text));
      }
  }
  static const std::string kNone;
  return index < sharedStrings->size() ? (*sharedStrings)[index] : kNone;
}

int WorkbookData::indexOf(const TemplateSheet& sheet) const {
  for (size_t i = 0; i < sheets.size(); ++i)
    if (sheets[i].get() == &sheet) return static_cast<int>(i);
  return -1;
}

SheetRows* WorkbookData::sheetMentioning(TemplateSheet& sheet, const std::string& text) {
  if (Loaded(sheet)) return &RowsOf(sheet);
  auto key = std::make_pair(PartOf(sheet), text);
  if (notMentioning.count(key)) return nullptr;
  const std::string* data = package.find(PartOf(sheet));
  if (!data || data->find("<f") == std::string::npos ||
      (!text.empty() && data->find(EscapeXml(text, false)) == std::string::npos &&
       data->find(EscapeXml(SheetQualifier(text), false)) == std::string::npos)) {
    notMentioning.insert(std::move(key));
    return nullptr;
  }
  return &RowsOf(sheet);
}

pugi::xml_node WorkbookData::definedNames() { return workbook.document_element().child("definedNames"); }

void WorkbookData::renameSheet(TemplateSheet& sheet, const std::string& newName) {
  if (newName.empty() || Utf16Length(newName) > 31 || newName.find_first_of(":\\/?*[]") != std::string::npos ||
      newName.front() == '\'' || newName.back() == '\'' || SameSheetName(newName, "History"))
    throw OfficeError("工作表名称" + base::QuotedPath(newName) + "无效：名称不能为空、不能超过31个字符、不能含有 : \\ / ? * [ ]，也不能以单引号开头或结尾");
  for (const auto& other : sheets)
    if (other.get() != &sheet && SameSheetName(other->name(), newName))
      throw OfficeError("工作表名称" + base::QuotedPath(newName) + "已被其他工作表使用");
  const std::string oldName = sheet.name();
  if (oldName == newName) return;
  auto rename = [&](const std::string& formula) {
    return RewriteReferences(formula, [&](const std::string* qualifier, std::string_view, std::string_view ref) -> std::optional<std::string> {
      if (!qualifier || !SameSheetName(*qualifier, oldName)) return std::nullopt;
      return SheetQualifier(newName) + "!" + std::string(ref);
    });
  };
  for (auto& other : sheets)
    if (SheetRows* rows = sheetMentioning(*other, oldName)) RewriteSheetFormulas(*rows, rename);
  for (pugi::xml_node name : definedNames().children("definedName")) name.text().set(rename(name.text().get()).c_str());
  int i = 0;
  for (pugi::xml_node node : workbook.document_element().child("sheets").children("sheet"))
    if (i++ == indexOf(sheet)) node.attribute("name").set_value(newName.c_str());
  workbookChanged = true;
  if (!appPart.empty()) {
    pugi::xml_node titles = app.document_element().child("TitlesOfParts").first_child();
    for (pugi::xml_node entry : titles.children()) {
      const std::string text = entry.text().get();
      if (text == oldName) {
        entry.text().set(newName.c_str());
      } else {
        for (const std::string& prefix : {oldName + "!", SheetQualifier(oldName) + "!"})
          if (text.compare(0, prefix.size(), prefix) == 0) {
            entry.text().set((SheetQualifier(newName) + "!" + text.substr(prefix.size())).c_str());
            break;
          }
      }
    }
    appChanged = true;
  }
  SetName(sheet, newName);
}

void WorkbookData::shiftRowsOf(TemplateSheet& sheet, int at, int count) {
  bool overflow = false;
  auto shift = [&](const std::string& f) { return ShiftRowsInFormula(f, sheet.name(), false, at, count, overflow); };
  for (pugi::xml_node name : definedNames().children("definedName")) {
    const std::string before = name.text().get();
    const std::string after = shift(before);
    if (after != before) {
      name.text().set(after.c_str());
      workbookChanged = true;
    }
  }
  for (auto& other : sheets)
    if (other.get() != &sheet)
      if (SheetRows* rows = sheetMentioning(*other, sheet.name())) RewriteSheetFormulas(*rows, shift);
}

namespace {

// When the active sheet `index0` goes, the nearest visible one after it (or else before it) takes
// over; its index is counted without the deleted sheet. Throws when there is none.
int VisibleSuccessor(const pugi::xml_document& workbook, int index0, const std::string& name) {
  std::vector<bool> visible;
  for (pugi::xml_node node : workbook.document_element().child("sheets").children("sheet")) {
    const std::string_view state = node.attribute("state").value();
    visible.push_back(state.empty() || state == "visible");
  }
  int successor = -1;
  for (int k = index0 + 1; k < static_cast<int>(visible.size()) && successor < 0; ++k)
    if (visible[k]) successor = k - 1;
  for (int k = index0 - 1; k >= 0 && successor < 0; --k)
    if (visible[k]) successor = k;
  if (successor < 0) throw OfficeError("不能删除工作表" + base::QuotedPath(name) + "：工作簿中没有其他可见的工作表");
  return successor;
}

// True when a relationship of a part other than the workbook's still points at `target`.
bool StillUsed(const Package& package, const std::string& target, const std::string& workbookPart) {
  if (target == workbookPart) return true;
  for (const PackagePart& p : package.parts()) {
    if (!p.name.ends_with(".rels")) continue;
    pugi::xml_document other;
    if (!LoadXml(other, p.data)) continue;
    std::string source = p.name;  // "x/_rels/y.rels" → "x/y"
    const size_t relsAt = source.rfind("_rels/");
    source = source.substr(0, relsAt) + source.substr(relsAt + 6, source.size() - relsAt - 11);
    for (pugi::xml_node r : other.document_element().children())
      if (ResolvePartName(source, r.attribute("Target").value()) == target) return true;
  }
  return false;
}

// Removes the sheet's part and the parts only it used, with their content types.
void RemoveSheetParts(WorkbookData& book, const std::string& part) {
  std::vector<std::string> doomedParts{part};
  for (size_t k = 0; k < doomedParts.size(); ++k) {
    const std::string relsName = RelationshipsPartOf(doomedParts[k]);
    pugi::xml_document rels;
    const std::string* relsData = book.package.find(relsName);
    std::vector<std::string> targets;
    if (relsData && LoadXml(rels, *relsData))
      for (pugi::xml_node r : rels.document_element().children())
        if (std::string_view(r.attribute("TargetMode").value()) != "External")
          targets.push_back(ResolvePartName(doomedParts[k], r.attribute("Target").value()));
    book.package.remove(doomedParts[k]);
    book.package.remove(relsName);
    for (const std::string& target : targets)
      if (!StillUsed(book.package, target, book.workbookPart) &&
          std::find(doomedParts.begin(), doomedParts.end(), target) == doomedParts.end())
        doomedParts.push_back(target);
  }
  for (const std::string& gone : doomedParts)
    for (pugi::xml_node o : book.contentTypes.document_element().children("Override"))
      if (std::string_view(o.attribute("PartName").value()) == "/" + gone) {
        book.contentTypes.document_element().remove_child(o);
        break;
      }
}

// Defined names: those of the sheet or referring to it go, local ids after it close up. Returns the
// workbook-level names that went with the sheet.
std::set<std::string> DropDefinedNamesOf(WorkbookData& book, int index0, const std::string& name) {
  std::set<std::string> droppedNames;
  if (pugi::xml_node names = book.definedNames()) {
    std::vector<pugi::xml_node> drop;
    for (pugi::xml_node n : names.children("definedName")) {
      pugi::xml_attribute local = n.attribute("localSheetId");
      if ((local && local.as_int() == index0) || FormulaNamesSheet(n.text().get(), name)) {
        if (!local) droppedNames.insert(n.attribute("name").value());
        drop.push_back(n);
        continue;
      }
      if (local && local.as_int() > index0) local.set_value(local.as_int() - 1);
    }
    for (pugi::xml_node n : drop) names.remove_child(n);
    if (!names.child("definedName")) book.workbook.document_element().remove_child(names);
  }
  return droppedNames;
}

// The document properties' list of parts loses the sheet, its ranges and the dropped names; a
// heading left without parts goes.
void DropTitlesOf(pugi::xml_document& app, const std::string& name, const std::set<std::string>& droppedNames) {
  pugi::xml_node headings = app.document_element().child("HeadingPairs").first_child();
  pugi::xml_node titles = app.document_element().child("TitlesOfParts").first_child();
  std::vector<pugi::xml_node> entries;
  for (pugi::xml_node e : titles.children()) entries.push_back(e);
  std::vector<pugi::xml_node> pairs;
  for (pugi::xml_node v : headings.children()) pairs.push_back(v);
  size_t position = 0;
  std::vector<pugi::xml_node> emptyPairs;
  for (size_t p = 0; p + 1 < pairs.size(); p += 2) {
    pugi::xml_node countNode = pairs[p + 1].first_child();
    const int count = countNode.text().as_int();
    int kept = count;
    for (int k = 0; k < count && position < entries.size(); ++k, ++position) {
      const std::string text = entries[position].text().get();
      if (text == name || text.rfind(name + "!", 0) == 0 || text.rfind(SheetQualifier(name) + "!", 0) == 0 ||
          droppedNames.count(text)) {
        titles.remove_child(entries[position]);
        --kept;
      }
    }
    countNode.text().set(kept);
    if (kept == 0) emptyPairs.insert(emptyPairs.end(), {pairs[p], pairs[p + 1]});
  }
  for (pugi::xml_node n : emptyPairs) headings.remove_child(n);
  int titleCount = 0, headingCount = 0;
  for (pugi::xml_node e : titles.children()) titleCount += e.type() == pugi::node_element;
  for (pugi::xml_node e : headings.children()) headingCount += e.type() == pugi::node_element;
  if (titles) SetAttribute(titles, "size", std::to_string(titleCount));
  if (headings) SetAttribute(headings, "size", std::to_string(headingCount));
}

}  // namespace

void WorkbookData::deleteSheet(int index0) {
  if (index0 < 0 || index0 >= static_cast<int>(sheets.size()))
    throw OfficeError("工作簿中没有第" + std::to_string(index0 + 1) + "个工作表");
  if (sheets.size() == 1) throw OfficeError("工作簿至少要保留一个工作表");
  TemplateSheet& doomed = *sheets[index0];
  const std::string name = doomed.name();
  const std::string part = PartOf(doomed);
  const int active = activeSheet() - 1;
  const int successor = active == index0 ? VisibleSuccessor(workbook, index0, name) : -1;

  // Formulas of other sheets that refer to it lose their reference, as in the spreadsheet.
  for (auto& other : sheets)
    if (other.get() != &doomed)
      if (SheetRows* rows = sheetMentioning(*other, name))
        RewriteSheetFormulas(*rows, [&](const std::string& f) {
          return RewriteReferences(f, [&](const std::string* q, std::string_view, std::string_view) -> std::optional<std::string> {
            if (q && SameSheetName(*q, name)) return std::string("#REF!");
            return std::nullopt;
          });
        });

  pugi::xml_node root = workbook.document_element();
  int i = 0;
  std::string relId;
  for (pugi::xml_node node : root.child("sheets").children("sheet"))
    if (i++ == index0) {
      relId = RelationshipId(node);
      root.child("sheets").remove_child(node);
      break;
    }
  for (pugi::xml_node r : workbookRels.document_element().children())
    if (relId == r.attribute("Id").value()) {
      workbookRels.document_element().remove_child(r);
      break;
    }

  RemoveSheetParts(*this, part);
  const std::set<std::string> droppedNames = DropDefinedNamesOf(*this, index0, name);
  if (!appPart.empty()) {
    DropTitlesOf(app, name, droppedNames);
    appChanged = true;
  }

  sheets.erase(sheets.begin() + index0);
  workbookChanged = true;
  sheetsRemoved = true;
  const int count = static_cast<int>(sheets.size());
  if (pugi::xml_node view = root.child("bookViews").child("workbookView")) {
    if (pugi::xml_attribute first = view.attribute("firstSheet"); first && first.as_int() >= count)
      first.set_value(count - 1);
    if (active > index0) SetAttribute(view, "activeTab", std::to_string(active - 1));
  }
  if (successor >= 0) activateSheet(successor);
}

int WorkbookData::activeSheet() const {
  const int tab = workbook.document_element().child("bookViews").child("workbookView").attribute("activeTab").as_int(0);
  return std::clamp(tab, 0, static_cast<int>(sheets.size()) - 1) + 1;
}

void WorkbookData::activateSheet(int index0) {
  if (index0 < 0 || index0 >= static_cast<int>(sheets.size()))
    throw OfficeError("工作簿中没有第" + std::to_string(index0 + 1) + "个工作表");
  pugi::xml_node root = workbook.document_element();
  int i = 0;
  for (pugi::xml_node node : root.child("sheets").children("sheet"))
    if (i++ == index0 && std::string_view(node.attribute("state").value()) != "" &&
        std::string_view(node.attribute("state").value()) != "visible")
      throw OfficeError("工作表" + base::QuotedPath(sheets[index0]->name()) + "是隐藏的，不能作为当前工作表");
  pugi::xml_node views = root.child("bookViews");
  if (!views) views = root.insert_child_before("bookViews", root.child("sheets"));
  pugi::xml_node view = views.child("workbookView");
  if (!view) view = views.append_child("workbookView");
  SetAttribute(view, "activeTab", std::to_string(index0));
  if (view.attribute("firstSheet").as_int(0) > index0) SetAttribute(view, "firstSheet", std::to_string(index0));
  workbookChanged = true;
  for (int k = 0; k < static_cast<int>(sheets.size()); ++k) {
    TemplateSheet& sheet = *sheets[k];
    if (k != index0 && !Loaded(sheet)) {
      const std::string* data = package.find(PartOf(sheet));
      if (!data || (data->find("tabSelected=\"1\"") == std::string::npos &&
                    data->find("tabSelected=\"true\"") == std::string::npos))
        continue;
    }
    SheetRows& rows = RowsOf(sheet);
    pugi::xml_node sheetView = rows.doc.document_element().child("sheetViews").child("sheetView");
    if (k == index0) {
      pugi::xml_node sheetViews = rows.doc.document_element().child("sheetViews");
      if (!sheetViews) {
        pugi::xml_node root2 = rows.doc.document_element();
        pugi::xml_node before = root2.child("sheetFormatPr");
        if (!before) before = root2.child("cols");
        if (!before) before = rows.sheetData;
        sheetViews = root2.insert_child_before("sheetViews", before);
      }
      if (!sheetView) {
        sheetView = sheetViews.append_child("sheetView");
        sheetView.append_attribute("workbookViewId").set_value(0);
      }
      sheetView.remove_attribute("tabSelected");
      sheetView.prepend_attribute("tabSelected").set_value(1);
      rows.changed = true;
    } else if (sheetView && sheetView.attribute("tabSelected")) {
      sheetView.remove_attribute("tabSelected");
      rows.changed = true;
    }
  }
}

void WorkbookData::save(const std::string& path) {
  Package out = package;
  bool anySheetChanged = sheetsRemoved;
  bool anyFormula = false;
  for (auto& sheet : sheets) {
    if (Loaded(*sheet)) {
      anyFormula = anyFormula || !RowsOf(*sheet).formulaRows.empty();
      if (RowsOf(*sheet).changed) {
        out.put(PartOf(*sheet), SheetXml(RowsOf(*sheet)));
        anySheetChanged = true;
      }
      if (RowsOf(*sheet).drawing) out.put(RowsOf(*sheet).drawingPart, XmlText(*RowsOf(*sheet).drawing));
    } else if (const std::string* data = package.find(PartOf(*sheet))) {
      anyFormula = anyFormula || data->find("<f>") != std::string::npos || data->find("<f ") != std::string::npos;
    }
  }
  const bool formulasChanged = anySheetChanged && anyFormula;
  pugi::xml_document book;
  book.reset(workbook);
  if (formulasChanged) {  // cached results of formulas over changed cells are recalculated on opening
    pugi::xml_node root = book.document_element();
    pugi::xml_node calc = root.child("calcPr");
    if (!calc) {
      pugi::xml_node after = root.child("sheets");
      for (const char* name : {"functionGroups", "externalReferences", "definedNames"})
        if (pugi::xml_node node = root.child(name)) after = node;
      calc = root.insert_child_after("calcPr", after);
    }
    SetAttribute(calc, "fullCalcOnLoad", "1");
  }
  if (styles && styles->changed()) out.put(stylesPart, styles->xml());
  pugi::xml_document types;
  types.reset(contentTypes);
  pugi::xml_document rels;
  rels.reset(workbookRels);
  bool relsChanged = sheetsRemoved;
  // The calculation chain names cells by position; the spreadsheet rebuilds it.
  const std::string calcChain = TargetOfType(workbookRels, workbookPart, "/calcChain");
  if (anySheetChanged && !calcChain.empty()) {
    out.remove(calcChain);
    for (pugi::xml_node r : rels.document_element().children())
      if (std::string_view(r.attribute("Type").value()).ends_with("/calcChain")) {
        rels.document_element().remove_child(r);
        break;
      }
    for (pugi::xml_node o : types.document_element().children("Override"))
      if (std::string_view(o.attribute("PartName").value()) == "/" + calcChain) {
        types.document_element().remove_child(o);
        break;
      }
    relsChanged = true;
  }
  for (pugi::xml_node o : types.document_element().children("Override"))
    if (std::string_view(o.attribute("PartName").value()) == "/" + workbookPart &&
        std::string_view(o.attribute("ContentType").value()) == kTemplateType)
      o.attribute("ContentType").set_value(std::string(kWorkbookType).c_str());
  out.put("[Content_Types].xml", XmlText(types));
  if (relsChanged) out.put(RelationshipsPartOf(workbookPart), XmlText(rels));
  if (workbookChanged || formulasChanged) out.put(workbookPart, XmlText(book));
  if (appChanged) out.put(appPart, XmlText(app));
  const std::string bytes = out.zipBytes();
  try {
    files::AtomicFile file(path, "~vmx");
    file.write(bytes);
    file.commit();
  } catch (const files::AtomicFileError& e) {
    throw OfficeError(std::string("无法保存工作簿：") + e.what());
  }
}

}  // namespace detail

TemplateWorkbook::TemplateWorkbook(std::unique_ptr<detail::WorkbookData> data) : data_(std::move(data)) {}
TemplateWorkbook::~TemplateWorkbook() = default;
TemplateWorkbook::TemplateWorkbook(TemplateWorkbook&&) noexcept = default;
TemplateWorkbook& TemplateWorkbook::operator=(TemplateWorkbook&&) noexcept = default;

TemplateWorkbook TemplateWorkbook::Open(const std::string& path) {
  return TemplateWorkbook(detail::WorkbookData::Load(path));
}

int TemplateWorkbook::sheetCount() const { return static_cast<int>(data_->sheets.size()); }

TemplateSheet& TemplateWorkbook::sheet(int index) {
  if (index < 1 || index > sheetCount()) throw OfficeError("工作簿中没有第" + std::to_string(index) + "个工作表");
  return *data_->sheets[index - 1];
}

TemplateSheet* TemplateWorkbook::sheetNamed(std::string_view name) {
  for (auto& sheet : data_->sheets)
    if (detail::SameSheetName(sheet->name(), name)) return sheet.get();
  return nullptr;
}

void TemplateWorkbook::deleteSheet(int index) { data_->deleteSheet(index - 1); }
void TemplateWorkbook::activateSheet(int index) { data_->activateSheet(index - 1); }
int TemplateWorkbook::activeSheet() const { return data_->activeSheet(); }
void TemplateWorkbook::save(const std::string& path) { data_->save(path); }

}  // namespace velmora::office

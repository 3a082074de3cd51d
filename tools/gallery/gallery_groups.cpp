#include <QLineEdit>
#include <QTableWidget>

#include "core/groups/groups.h"
#include "gallery.h"
#include "gui/groups/group_item_form.h"
#include "gui/groups/group_list_form.h"
#include "gui/groups/input_query_box.h"

namespace velmora::gallery {

void RenderGroups(GalleryContext& ctx) {
  UserPrompts& prompts = ctx.prompts;
  db::Connection& c = ctx.session.SysADOConnection();

  const std::int64_t regions = groups::AddGroup(c, "按地区分组");
  const struct {
    const char* title;
    std::int64_t low, high;
  } items[] = {{"北京市", 110000000000, 120000000000}, {"天津市", 120000000000, 130000000000},
               {"河北省", 130000000000, 140000000000}, {"山西省", 140000000000, 150000000000}};
  for (const auto& i : items) groups::AddItem(c, regions, groups::ItemDraft{i.title, i.low, i.high, ">=", "<"});
  groups::AddGroup(c, "按规模分组");
  groups::AddGroup(c, "O'Brien 的分组");

  gui::TdlgGroupListForm list(ctx.session, prompts);
  Snap(ctx, list, "groups-list");

  gui::TdlgGroupItemForm dialog(c, prompts, regions, "按地区分组");
  dialog.DBGrid1()->setCurrentCell(1, 0);
  Snap(ctx, dialog, "groups-item-dialog");
  dialog.SortByColumn(1);
  Snap(ctx, dialog, "groups-item-dialog-sorted");

  gui::TInputQueryForm box("自定义分组", "输入本种分组方式的名称", "");
  box.edit()->setText("按行业分组");
  Snap(ctx, box, "groups-input-box");
}

}  // namespace velmora::gallery

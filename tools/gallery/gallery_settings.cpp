// Settings dialog, progress windows and question dialog in their typical states.
#include <string>

#include "core/prompts/user_prompts.h"
#include "core/settings/settings.h"
#include "gallery.h"
#include "gui/settings/option_setup_form.h"
#include "gui/widgets/progress_bar_2line_form.h"
#include "gui/widgets/progress_bar_form.h"
#include "gui/widgets/question_dialog.h"

namespace velmora::gallery {

namespace {

void RenderOptionSetup(GalleryContext& ctx) {
  settings::MemorySettingsStore store;
  settings::ScopedStore use(store);
  const std::string kept = settings::PreferredIme;
  settings::PreferredIme = "系统默认输入法";
  ConsolePrompts prompts;
  gui::TdlgOptionSetupForm dialog(prompts);
  Snap(ctx, dialog, "settings-options");
  settings::PreferredIme = kept;
}

void RenderProgress(GalleryContext& ctx) {
  gui::TProgressBarForm form;
  form.StartProgress(500, 0);
  for (int i = 0; i < 37; ++i) form.StepProgress();
  form.tick();
  Snap(ctx, form, "progress-start");

  // Eight seconds into a run: the time used and the estimate show.
  form.StartProgress(500, 0);
  for (int i = 0; i < 80; ++i) {
    if (i % 2 == 0) form.StepProgress();
    form.tick();
  }
  Snap(ctx, form, "progress-running");
  form.hide();

  gui::TProgressBar2LineForm twoLine;
  twoLine.InitFirst(5);
  twoLine.IncFirst();
  twoLine.IncFirst();
  twoLine.InitSecond(240);
  for (int i = 0; i < 150; ++i) twoLine.IncSecond();
  Snap(ctx, twoLine, "progress-two-line");
  twoLine.hide();
}

void RenderQuestions(GalleryContext& ctx) {
  struct Question {
    const char* name;
    const char* text;
    int buttons;
  };
  const Question questions[] = {
      {"question-yes-no", "确实要删除当前记录吗？", gui::kAskYes | gui::kAskNo},
      {"question-no-yes-to-all", "导入的数据中有逻辑错误，是否全部放弃？", gui::kAskNo | gui::kAskYesToAll},
      {"question-all-four",
       "编号为 110101000001 的记录已经存在，\n是否用导入文件中的记录覆盖它？",
       gui::kAskYes | gui::kAskNo | gui::kAskYesToAll | gui::kAskNoToAll},
  };
  for (const Question& q : questions) {
    gui::TQuestionDlg dialog;
    dialog.setQuestion(QString::fromUtf8(q.text), q.buttons);
    Snap(ctx, dialog, q.name);
    dialog.hide();
  }
}

}  // namespace

void RenderSettingsDialogs(GalleryContext& ctx) {
  RenderOptionSetup(ctx);
  RenderProgress(ctx);
  RenderQuestions(ctx);
}

}  // namespace velmora::gallery

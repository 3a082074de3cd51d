#include "gui/entry/survey_data_form.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QTabBar>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>

#include "core/files/program_folders.h"
#include "core/survey/codes.h"
#include "gui/entry/message_list_win.h"
#include "gui/entry/bound_records.h"
#include "gui/widgets/code_name_box.h"
#include "gui/widgets/code_popup.h"
#include "gui/entry/cover_page.h"
#include "gui/widgets/numeric_edit.h"
#include "gui/entry/survey_page_view.h"
#include "gui/widgets/valid_edit.h"
#include "gui/widgets/artwork.h"

namespace velmora::gui {

namespace {

struct ButtonSpec {
  const char* name;
  const char* caption;
  const char* hint;  // tooltip before the first '|', the long hint after it
  const char* glyph;
  QColor colour;
};

const ButtonSpec kButtons[] = {
    {"tbHold", "临时保存",
     "临时保存输入的数据|临时保存已经输入的数据，不检查数据的逻辑关系，保存后可继续编辑，临时保存的数据不能被导出或上报",
     "临", QColor(218, 140, 32)},
    {"tbSave", "保存记录", "正式保存输入的数据|正式保存已经数据的数据，将检查数据的逻辑关系", "存",
     QColor(40, 128, 72)},
    {"tbAdd", "保存记录",
     "正式保存输入的数据|正式保存已经数据的数据，将检查数据的逻辑关系，保存后会请空所有已经输入的数据，以便输入新的数据",
     "存", QColor(40, 128, 72)},
    {"tbCheck", "检查逻辑", "", "检", QColor(52, 101, 164)},
    {"tbPrint", "打  印", "打印当前的报表", "印", QColor(96, 96, 112)},
    {"tbReturn", "返  回", "", "返", QColor(160, 48, 48)},
};

struct NavSpec {
  const char* name;
  const char* caption;
  const char* glyph;
};
const NavSpec kNavActions[] = {
    {"actFirst", "第一条", "首"}, {"actPrev", "上一条", "上"}, {"actNext", "下一条", "下"}, {"actLast", "最后一条", "末"}};

}  // namespace

TdlgSurveyDataForm::TdlgSurveyDataForm(session::DatabaseSession& session, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent),
      session_(session),
      prompts_(prompts),
      context_{session.SysADOConnection(), survey::SurveyCodes(), prompts},
      hints_(session.SysADOConnection()),
      errorList_(std::make_unique<TMessageListWinForm>(this)) {
  setObjectName("TdlgSurveyDataForm");
  setWindowTitle("基层工会数据");
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  QFont font(QStringLiteral("宋体"));
  font.setPixelSize(13);
  setFont(font);
  setFixedSize(990, 717);
  NotesFolder = QDir(QString::fromStdString(files::ShippedFilesFolder(QCoreApplication::applicationDirPath().toStdString())))
                    .filePath("notes") +
                QDir::separator();
  toolForm_ = new TToolForm(this);
  toolForm_->hide();
  buildWindow();
  buildToolBars();
  fitWidestPage();
  registerControls();
  // The list appears while the user types: it must not take the keyboard from the form.
  errorList_->setAttribute(Qt::WA_ShowWithoutActivating, true);
  errorList_->setNavigator([this](int page, const QString& focus) {
    activateWindow();  // the keyboard goes back to the form, to the field of the entry
    ShowPageAndFocus(page, focus);
  });
  errorList_->setKeepClear(toolBar_->parentWidget());
}

TdlgSurveyDataForm::~TdlgSurveyDataForm() = default;

void TdlgSurveyDataForm::buildWindow() {
  dataPage_ = new QTabWidget(this);
  dataPage_->setObjectName("DataPage");
  dataPage_->setTabPosition(QTabWidget::South);
  dataPage_->setGeometry(8, 8, 977, 465);
  dataPage_->tabBar()->installEventFilter(this);
  dataPage_->tabBar()->setFocusPolicy(Qt::NoFocus);

  cover_ = new TCoverPage;
  dataPage_->addTab(cover_, "封面");
  dataPage_->setTabToolTip(0, "调查表封面");
  pageFields_.push_back(cover_->tabOrder());
  for (const SurveyPageDescription& description : SurveyPageDescriptions()) {
    SurveyPageView view = BuildSurveyPage(description);
    const int index = dataPage_->addTab(view.page, description.caption);
    dataPage_->setTabToolTip(index, description.hint);
    pageFields_.emplace_back(view.fields.begin(), view.fields.end());
  }
  // the cover's controls come first in the form's order
  for (std::size_t page = 0; page < pageFields_.size(); ++page)
    for (QWidget* w : pageFields_[page]) {
      fieldOrder_.push_back(w);
      fieldPage_.insert(w, static_cast<int>(page));
    }
  // The notes follow the page in view, however it came into view.
  connect(dataPage_, &QTabWidget::currentChanged, this, [this](int index) {
    if (index != notesPage_) LoadNotes(index);
  });

  notes_ = new QTextBrowser(this);
  notes_->setObjectName("rtfNotes");
  notes_->setGeometry(8, 479, 977, 194);
  notes_->setFocusPolicy(Qt::NoFocus);
  notes_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  QPalette tip = notes_->palette();
  tip.setColor(QPalette::Base, tip.color(QPalette::ToolTipBase));
  tip.setColor(QPalette::Text, tip.color(QPalette::ToolTipText));
  notes_->setPalette(tip);
}

// The form is as wide as its widest page needs, as far as the screen allows: a page then never
// scrolls sideways and its title stays in view (on a narrower screen the titles follow the scroll).
void TdlgSurveyDataForm::fitWidestPage() {
  int need = 0;
  for (int page = 0; page < dataPage_->count(); ++page)
    if (auto* scroll = dataPage_->widget(page)->findChild<QScrollArea*>())
      need = std::max(need, scroll->widget()->minimumSizeHint().width() +
                                scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2 * scroll->frameWidth());
  // the page control's own frame around a page
  need += dataPage_->width() - dataPage_->contentsRect().width() + 4;
  int room = need;
  if (const QScreen* shown = screen()) room = std::min(need, shown->availableGeometry().width() - 16 - 2 * 8);
  const int inner = std::max(977, room);
  if (inner == 977) return;
  setFixedSize(inner + 13, height());
  dataPage_->setGeometry(8, 8, inner, dataPage_->height());
  notes_->setGeometry(8, notes_->y(), inner, notes_->height());
  if (QWidget* bottom = toolBar_->parentWidget()) bottom->setGeometry(8, bottom->y(), inner, bottom->height());
}

void TdlgSurveyDataForm::buildToolBars() {
  auto* bottom = new QWidget(this);
  bottom->setGeometry(8, 678, 977, 34);
  auto* row = new QHBoxLayout(bottom);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(4);

  toolBar_ = new QToolBar(bottom);
  toolBar_->setObjectName("ToolBar1");
  toolBar_->setIconSize(QSize(16, 16));
  toolBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  for (const ButtonSpec& spec : kButtons) {
    auto* b = new QToolButton(toolBar_);
    b->setObjectName(spec.name);
    b->setText(spec.caption);
    b->setIcon(ActionIcon(spec.glyph, spec.colour));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setFocusPolicy(Qt::NoFocus);
    const QString hint = QString::fromUtf8(spec.hint);
    b->setToolTip(hint.section(QLatin1Char('|'), 0, 0));
    b->setStatusTip(hint.section(QLatin1Char('|'), 1));
    b->setWhatsThis(b->statusTip());
    buttonActions_.insert(spec.name, toolBar_->addWidget(b));
    buttons_.insert(spec.name, b);
  }
  row->addWidget(toolBar_);
  row->addStretch(1);

  itemNo_ = new QLabel(bottom);
  itemNo_->setObjectName("ItemNo");
  itemNo_->setFixedWidth(145);
  itemNo_->setAlignment(Qt::AlignCenter);
  row->addWidget(itemNo_);
  row->addStretch(1);

  navBar_ = new QToolBar(bottom);
  navBar_->setObjectName("NavBar");
  navBar_->setIconSize(QSize(16, 16));
  navBar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  for (const NavSpec& spec : kNavActions) {
    QAction* a = navBar_->addAction(ActionIcon(spec.glyph, QColor(52, 101, 164)), spec.caption);
    a->setObjectName(spec.name);
    navActions_.insert(spec.name, a);
    connect(a, &QAction::triggered, this, [this, a] { navigate(a); });
  }
  row->addWidget(navBar_);

  connect(button("tbHold"), &QToolButton::clicked, this, [this] { tbHoldClick(); });
  connect(button("tbSave"), &QToolButton::clicked, this, [this] { tbSaveClick(); });
  connect(button("tbAdd"), &QToolButton::clicked, this, [this] { tbSaveClick(); });
  connect(button("tbCheck"), &QToolButton::clicked, this, [this] { tbCheckClick(); });
  connect(button("tbPrint"), &QToolButton::clicked, this, &TdlgSurveyDataForm::printRequested);
  connect(button("tbReturn"), &QToolButton::clicked, this, [this] {
    // Closing goes through the close query: what was typed is never dropped unasked.
    reject();
  });
}

void TdlgSurveyDataForm::registerControls() {
  for (QWidget* w : fieldOrder_) {
    controls_.insert(w->objectName().toLower(), w);
    if (auto* box = qobject_cast<TNumericEdit*>(w))
      connect(box, &TNumericEdit::contentChanged, this, [this, w] { contentChanged(w); });
    else if (auto* edit = qobject_cast<ValidEdit*>(w))
      connect(edit, &ValidEdit::contentChanged, this, [this, w] { contentChanged(w); });
  }
  // The form sees the fields' keys first, and their leaving.
  for (QWidget* w : fieldOrder_) w->installEventFilter(this);
  setupInputMethods();
  for (TCodeNameBox* name : cover_->nameControls()) {
    names_.insert(name->objectName().toLower(), name);
    connect(name, &TCodeNameBox::contentChanged, this, [this, name] { contentChanged(name); });
    if (name == cover_->CityNameCtrl)
      connect(name, &TCodeNameBox::dropDownRequested, this, &TdlgSurveyDataForm::OpenCityPicker);
    else if (name == cover_->TypeName)
      connect(name, &TCodeNameBox::dropDownRequested, this, &TdlgSurveyDataForm::OpenUnionTypePicker);
    else
      connect(name, &TCodeNameBox::dropDownRequested, this, [this, name] { OpenCodeList(*name); });
  }
  // Survey boxes follow their codes in the tab order, page after page.
  for (std::size_t i = cover_->tabOrder().size() + 1; i < fieldOrder_.size(); ++i)
    setTabOrder(fieldOrder_[i - 1], fieldOrder_[i]);
}

QWidget* TdlgSurveyDataForm::control(const QString& name) const {
  const QString key = name.toLower();
  if (QWidget* w = controls_.value(key)) return w;
  return names_.value(key);
}

TNumericEdit* TdlgSurveyDataForm::numericBox(const QString& name) const {
  return qobject_cast<TNumericEdit*>(controls_.value(name.toLower()));
}

QToolButton* TdlgSurveyDataForm::button(const QString& name) const { return buttons_.value(name); }
QAction* TdlgSurveyDataForm::navAction(const QString& name) const { return navActions_.value(name); }

int TdlgSurveyDataForm::OpenAdding(BoundRecords& records) {
  IsNew = true;
  boundRecords_ = &records;
  return showModally();
}

int TdlgSurveyDataForm::OpenModifying(BoundRecords& records) {
  if (records.recordCount() == 0) return Rejected;
  IsNew = false;
  boundRecords_ = &records;
  return showModally();
}

int TdlgSurveyDataForm::showModally() {
  try {
    FormShow();
  } catch (const std::exception& e) {
    showRunError(e);
    return Rejected;
  }
  return exec();
}

}  // namespace velmora::gui

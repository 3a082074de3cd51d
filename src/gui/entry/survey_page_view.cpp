#include "gui/entry/survey_page_view.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/widgets/numeric_edit.h"

namespace velmora::gui {

namespace {

const char* kPageStyle =
    "QLabel[cell=\"header\"]{border-right:1px solid #8c8c8c;border-bottom:1px solid #8c8c8c;"
    "background:#fffdf2;padding:2px 1px;}"
    "QLabel[cell=\"code\"]{border-right:1px solid #8c8c8c;border-bottom:1px solid #8c8c8c;"
    "background:#eef1f6;color:#44546a;}"
    "QFrame[cell=\"box\"]{border-right:1px solid #8c8c8c;border-bottom:1px solid #8c8c8c;background:#fffdf2;}"
    "QFrame[cell=\"band\"]{border-left:1px solid #8c8c8c;border-top:1px solid #8c8c8c;}";

// Places the columns of one band into a grid: header rows first, then the code row, then the
// row of boxes.
class BandBuilder {
 public:
  BandBuilder(QFrame& band, int depth, SurveyPageView& view)
      : band_(band), grid_(new QGridLayout(&band)), depth_(depth), view_(view) {
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->setSpacing(0);
  }

  void place(const HeaderNode& node, int row, int column) {
    if (node.children.empty()) {
      header(node.caption, row, column, depth_ - row, 1);
      field(node, column);
      return;
    }
    header(node.caption, row, column, 1, ColumnCount(node));
    int c = column;
    if (!node.code.isEmpty()) {
      // the field's own column under its spanning header
      if (row + 1 < depth_) header(QString(), row + 1, c, depth_ - row - 1, 1);
      field(node, c);
      ++c;
    }
    for (const HeaderNode& child : node.children) {
      place(child, row + 1, c);
      c += ColumnCount(child);
    }
  }

 private:
  void header(const QString& caption, int row, int column, int rows, int columns) {
    auto* label = new QLabel(caption, &band_);
    label->setProperty("cell", "header");
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    grid_->addWidget(label, row, column, rows, columns);
  }

  void field(const HeaderNode& node, int column) {
    auto* code = new QLabel(node.code.toLower(), &band_);
    code->setObjectName("lbl" + node.code);
    code->setProperty("cell", "code");
    code->setAlignment(Qt::AlignCenter);
    QFont small = code->font();
    small.setPixelSize(11);
    code->setFont(small);
    code->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    code->setFixedHeight(16);
    grid_->addWidget(code, depth_, column);

    auto* cell = new QFrame(&band_);
    cell->setProperty("cell", "box");
    auto* layout = new QVBoxLayout(cell);
    layout->setContentsMargins(3, 2, 4, 3);
    auto* box = new TNumericEdit(node.code, cell);
    box->setDecimals(IsAmountField(node.code));
    box->setFixedHeight(21);
    // never narrower than the widest value the field takes (the box's own size hint)
    box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    box->setToolTip(JoinedCaption(node.caption));
    layout->addWidget(box);
    cell->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    grid_->addWidget(cell, depth_ + 1, column);
    grid_->setColumnStretch(column, std::max(1, node.width));
    view_.fields.push_back(box);
  }

  QFrame& band_;
  QGridLayout* grid_;
  int depth_;
  SurveyPageView& view_;
};

}  // namespace

int HeaderDepth(const HeaderNode& node) {
  int deepest = 0;
  for (const HeaderNode& child : node.children) deepest = std::max(deepest, HeaderDepth(child));
  return 1 + deepest;
}

int ColumnCount(const HeaderNode& node) {
  if (node.children.empty()) return 1;
  int n = node.code.isEmpty() ? 0 : 1;
  for (const HeaderNode& child : node.children) n += ColumnCount(child);
  return n;
}

SurveyPageView BuildSurveyPage(const SurveyPageDescription& description, QWidget* parent) {
  SurveyPageView view;
  view.page = new QWidget(parent);
  view.page->setObjectName(description.sheet);
  auto* pageLayout = new QVBoxLayout(view.page);
  pageLayout->setContentsMargins(0, 0, 0, 0);

  auto* scroll = new QScrollArea(view.page);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  // a band whose boxes need more room than the form has scrolls sideways
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  scroll->setFocusPolicy(Qt::NoFocus);
  pageLayout->addWidget(scroll);

  auto* panel = new QWidget;
  panel->setObjectName("panel" + description.sheet);
  panel->setStyleSheet(kPageStyle);
  auto* layout = new QVBoxLayout(panel);
  layout->setContentsMargins(8, 6, 8, 6);
  layout->setSpacing(5);
  for (const SurveyTable& table : description.tables) {
    auto* title = new QLabel(table.title, panel);
    QFont bold = title->font();
    bold.setBold(true);
    bold.setPixelSize(15);
    title->setFont(bold);
    layout->addWidget(title);
    // A page wider than the form scrolls sideways; its titles stay at the left of what is in view.
    QObject::connect(scroll->horizontalScrollBar(), &QScrollBar::valueChanged, title,
                     [title](int offset) { title->setContentsMargins(offset, 0, 0, 0); });
    for (const HeaderBand& band : table.bands) {
      auto* frame = new QFrame(panel);
      frame->setProperty("cell", "band");
      int depth = 0;
      for (const HeaderNode& column : band.columns) depth = std::max(depth, HeaderDepth(column));
      BandBuilder builder(*frame, depth, view);
      int c = 0;
      for (const HeaderNode& column : band.columns) {
        builder.place(column, 0, c);
        c += ColumnCount(column);
      }
      layout->addWidget(frame);
    }
  }
  layout->addStretch(1);
  scroll->setWidget(panel);
  return view;
}

}  // namespace velmora::gui

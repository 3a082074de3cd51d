// The record list as the user works it: columns from the catalogue, sorting by a title, the keys
// and clicks the main window answers, selections, and the position kept across re-queries.
#include "gui/records/record_grid.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "core/catalogue/field_catalogue.h"
#include "core/records/generator.h"
#include "gui/records/grid_routines.h"
#include "support/database.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

namespace velmora::gui {
namespace {

using velmora::testing::ScriptedPrompts;
using velmora::testing::TempDir;

class RecordGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GenerateDatabase(velmora::testing::ShippedDatabase().string(), (dir / "2012Velmora.mdb").string(),
                     GenerateOptions{300, 11, 5});
    session = std::make_unique<session::DatabaseSession>(dir.path().string(), prompts);
    ASSERT_TRUE(session->OpenDatabase(""));
    grid = std::make_unique<RecordGrid>(*session, prompts);
    grid->resize(900, 500);
    fields = catalogue::LoadFieldData(session->SysADOConnection(), session->Edition());
    grid->resetSort();
    grid->setFieldData(fields);
    grid->open();
  }
  int columnOf(const std::string& name) {
    for (std::size_t i = 0; i < fields.size(); ++i)
      if (fields[i].ShowName == name) return static_cast<int>(i);
    return -1;
  }
  std::vector<db::Variant> ordered(const std::string& orderBy) {
    return velmora::testing::Column(session->SysADOConnection(), "SELECT c901 FROM view_data ORDER BY " + orderBy);
  }
  QPoint cellCentre(int row, int column) { return grid->visualRect(grid->model()->index(row, column)).center(); }

  TempDir dir;
  ScriptedPrompts prompts;
  std::unique_ptr<session::DatabaseSession> session;
  std::unique_ptr<RecordGrid> grid;
  catalogue::TFieldDataArray fields;
};

TEST_F(RecordGridTest, ColumnsFollowTheCatalogue) {
  ASSERT_EQ(grid->columnCount(), static_cast<int>(fields.size()));
  const int c902 = columnOf("c902"), state = columnOf("RecordState"), z003 = columnOf("z003");
  EXPECT_EQ(grid->columnTitle(c902), "基层工会名称");
  EXPECT_EQ(grid->columnWidth(c902), 220);
  EXPECT_TRUE(grid->isColumnHidden(z003));
  EXPECT_FALSE(grid->isColumnHidden(state));
  auto* model = grid->model();
  EXPECT_EQ(model->data(model->index(0, state), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
            Qt::AlignHCenter);
  EXPECT_EQ(model->data(model->index(0, c902), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
            Qt::AlignLeft);
  EXPECT_EQ(model->headerData(c902, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignCenter);
  EXPECT_EQ(grid->recordCount(), 300);
  EXPECT_EQ(model->rowCount(), 300);
  EXPECT_EQ(grid->currentRow(), 0);
}

TEST_F(RecordGridTest, AnEmptyCatalogueKeepsTheColumnsAndAMissingColumnStaysEmpty) {
  RecordGrid plain(*session, prompts);
  plain.open();
  const auto viewColumns = session->SysADOConnection().columnNames("view_data");
  ASSERT_EQ(plain.columnCount(), static_cast<int>(viewColumns.size()));
  EXPECT_EQ(plain.columnTitle(2), QString::fromStdString(viewColumns[2]));
  plain.setFieldData({});
  EXPECT_EQ(plain.columnCount(), static_cast<int>(viewColumns.size()));

  catalogue::TFieldDataArray odd = fields;
  odd[0].ShowName = "no_such_column";
  odd[0].Visible = true;
  grid->setFieldData(odd);
  grid->requery();
  grid->grab();  // paints every visible cell
  EXPECT_FALSE(grid->model()->data(grid->model()->index(0, 0), Qt::DisplayRole).isValid());
  EXPECT_TRUE(grid->model()->data(grid->model()->index(0, columnOf("c902")), Qt::DisplayRole).isValid());
}

TEST_F(RecordGridTest, SortingAlternatesWithMarkersAndALimeTitle) {
  const int z002 = columnOf("z002"), c902 = columnOf("c902");
  struct Step {
    int column;
    const char* order;
    QString title;
  };
  const Step steps[] = {
      {z002, "z002 DESC, c901", "职工(人)▼"},
      {z002, "z002 ASC, c901", "职工(人)▲"},
      {c902, "c902 DESC, c901", "基层工会名称▼"},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.order);
    grid->sortByColumn(s.column);
    EXPECT_EQ(grid->columnTitle(s.column), s.title);
    EXPECT_EQ(grid->columnTitleColour(s.column), kSortedTitleColour);
    const auto keys = ordered(s.order);
    for (int row : {0, 1, 150, 299}) EXPECT_TRUE(grid->value(row, columnOf("c901")).sameAs(keys[static_cast<std::size_t>(row)]));
  }
  // The first column has its plain caption back, no longer lime.
  EXPECT_EQ(grid->columnTitle(z002), "职工(人)");
  EXPECT_NE(grid->columnTitleColour(z002), kSortedTitleColour);
  EXPECT_EQ(grid->sortedColumn(), c902);

  // Reloading the catalogue resets the sort: the next click sorts descending again.
  grid->resetSort();
  grid->setFieldData(fields);
  EXPECT_EQ(grid->columnTitle(c902), "基层工会名称");
  const auto keys = ordered("c901");
  EXPECT_TRUE(grid->value(0, columnOf("c901")).sameAs(keys[0]));
  QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {},
                    QPoint(grid->horizontalHeader()->sectionViewportPosition(z002) + 5, 5));
  EXPECT_EQ(grid->columnTitle(z002), "职工(人)▼");
}

TEST_F(RecordGridTest, KeysAndDoubleClickAskTheWindowForItsActions) {
  QSignalSpy modify(grid.get(), &RecordGrid::modifyRequested);
  QSignalSpy add(grid.get(), &RecordGrid::addRequested);
  QSignalSpy remove(grid.get(), &RecordGrid::deleteRequested);
  grid->show();
  // the release of a key pressed elsewhere (Enter closing a message box) does nothing
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Insert, Qt::Key_Delete})
    QTest::keyRelease(grid.get(), key);
  EXPECT_EQ(modify.count() + add.count() + remove.count(), 0);
  QTest::keyClick(grid.get(), Qt::Key_Return);
  QTest::keyClick(grid.get(), Qt::Key_Enter);
  QTest::keyClick(grid.get(), Qt::Key_Insert);
  QTest::keyClick(grid.get(), Qt::Key_Delete);
  QTest::keyClick(grid.get(), Qt::Key_A);
  QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(2, columnOf("c902")));
  EXPECT_EQ(modify.count(), 3);
  EXPECT_EQ(add.count(), 1);
  EXPECT_EQ(remove.count(), 1);
}

TEST_F(RecordGridTest, NumbersStandRightAlignedCodesAndNamesLeft) {
  auto alignment = [&](const char* field) {
    return grid->model()->index(0, columnOf(field)).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
           Qt::AlignHorizontal_Mask;
  };
  for (const char* number : {"z002", "b005", "w001"}) EXPECT_EQ(alignment(number), Qt::AlignRight) << number;
  for (const char* text : {"c901", "c902"}) EXPECT_EQ(alignment(text), Qt::AlignLeft) << text;
  EXPECT_EQ(alignment("RecordState"), Qt::AlignHCenter);
}

TEST_F(RecordGridTest, CtrlAndShiftClicksSelectRowsGivenInListOrder) {
  grid->show();
  const int c902 = columnOf("c902");
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(6, c902));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, cellCentre(2, c902));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, cellCentre(9, c902));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, cellCentre(11, c902));
  std::vector<db::Variant> expected;
  for (int row : {2, 6, 9, 10, 11}) expected.push_back(grid->value(row, columnOf("c901")));
  const auto keys = grid->selectedKeys();
  ASSERT_EQ(keys.size(), expected.size());
  for (std::size_t i = 0; i < keys.size(); ++i) EXPECT_TRUE(keys[i].sameAs(expected[i])) << i;

  prompts.askAnswers = {Answer::YesToAll};
  const auto outcome = DeleteSelectedRecords(*grid, prompts, session->SysADOConnection(), "dt_data", "c901");
  EXPECT_EQ(outcome.statements, 1);
  EXPECT_EQ(prompts.messages.size(), 1u);  // one question for all of them
  EXPECT_EQ(grid->recordCount(), 295);
  EXPECT_TRUE(grid->selectedKeys().size() <= 1);  // the selection ends with the re-query
}

TEST_F(RecordGridTest, RequeryReturnsToTheRowOrToTheLastRowWhenItIsGone) {
  grid->sortByColumn(columnOf("z002"));
  grid->setCurrentRow(120);
  const db::Variant key = *grid->currentKey();
  session->SysADOConnection().execute("delete from dt_data where c901 in (select c901 from dt_data order by c901 limit 5)");
  grid->requery();
  EXPECT_TRUE(grid->currentKey()->sameAs(key));
  EXPECT_EQ(grid->recordCount(), 295);

  // Deleting the last row leaves the list on its new last row.
  grid->setCurrentRow(294);
  prompts.askAnswers = {Answer::Yes};
  DeleteSelectedRecords(*grid, prompts, session->SysADOConnection(), "dt_data", "c901");
  EXPECT_EQ(grid->recordCount(), 294);
  EXPECT_EQ(grid->currentRow(), 293);
  EXPECT_EQ(grid->currentIndex().row(), 293);
}

TEST_F(RecordGridTest, ARefusedDeleteShowsTheEnginesTextAndTheListStaysUsable) {
  grid->setCurrentRow(3);
  const db::Variant key = *grid->currentKey();
  session->SysADOConnection().execute("CREATE TRIGGER keep BEFORE DELETE ON dt_data BEGIN SELECT RAISE(ABORT, '记录受保护'); END");
  prompts.askAnswers = {Answer::Yes};
  DeleteSelectedRecords(*grid, prompts, session->SysADOConnection(), "dt_data", "c901");
  EXPECT_EQ(prompts.lastMessage(), "记录受保护");
  EXPECT_EQ(grid->recordCount(), 300);
  EXPECT_TRUE(grid->currentKey()->sameAs(key));
  grid->sortByColumn(columnOf("z002"));
  EXPECT_FALSE(grid->value(299, columnOf("c902")).isNull());
}

TEST_F(RecordGridTest, RowsAreStripedExceptTheSelectedOne) {
  grid->show();
  grid->setCurrentRow(3);
  const QImage image = grid->viewport()->grab().toImage();
  auto background = [&](int row) {
    const QRect r = grid->visualRect(grid->model()->index(row, columnOf("c902")));
    return QColor(image.pixel(r.right() - 3, r.top() + 2));
  };
  EXPECT_EQ(background(0), kOddRowColour);   // record 1
  EXPECT_EQ(background(1), kEvenRowColour);  // record 2
  EXPECT_EQ(background(2), kOddRowColour);   // record 3
  EXPECT_NE(background(3), kEvenRowColour);  // selected: the selection colour
}

TEST_F(RecordGridTest, DetachedTheGridShowsNothingButKeepsItsRecord) {
  grid->setCurrentRow(42);
  grid->setAttached(false);
  EXPECT_EQ(grid->model()->rowCount(), 0);
  EXPECT_FALSE(grid->isEmpty());
  EXPECT_EQ(grid->currentRow(), 42);
  grid->setAttached(true);
  EXPECT_EQ(grid->currentIndex().row(), 42);
}

}  // namespace
}  // namespace velmora::gui

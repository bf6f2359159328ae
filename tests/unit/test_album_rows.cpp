#include "catalogue/album_rows.h"

#include "tests/support/gbk_testing.h"
#include "tests/support/window_fixture.h"

#include <gtest/gtest.h>

namespace {

using catalogue::AddAlbumRow;
using testing_support::MemoryWindow;

class AlbumRows : public testing::Test {
protected:
  // Rows ticked, unticked, ticked: two with a photo-list address, one without.
  void AddThreeRows() {
    AddAlbumRow(m.window, "11", "一"_gbk, "3", "photo.localhost/list/11.js", std::nullopt);
    AddAlbumRow(m.window, "12", "二"_gbk, "4", "", std::nullopt);
    AddAlbumRow(m.window, "13", "三"_gbk, "5", "photo.localhost/list/13.js", 0);
  }
  std::vector<int> Checks() const {
    std::vector<int> checks;
    for (int row = 0; row < m.ui.超级列表框1.RowCount(); ++row) checks.push_back(m.ui.超级列表框1.Checked(row));
    return checks;
  }
  MemoryWindow m;
};

TEST_F(AlbumRows, RowHoldsItsCellsAndStartsTickedOnlyWithAnAddress) {
  AddThreeRows();
  const model::ListView& list = m.ui.超级列表框1;
  ASSERT_EQ(3, list.RowCount());
  struct Expected {
    const char* number;
    platform::Text name, count, id, access, address;
    int checked;
    int image;
  } rows[] = {
      {"1", "一"_gbk, "3", "11", "已取得"_gbk, "photo.localhost/list/11.js", 1, -1},
      {"2", "二"_gbk, "4", "12", "双击获取权限"_gbk, "", 0, -1},
      {"3", "三"_gbk, "5", "13", "已取得"_gbk, "photo.localhost/list/13.js", 1, 0},
  };
  for (int row = 0; row < 3; ++row) {
    SCOPED_TRACE(row);
    const Expected& e = rows[row];
    EXPECT_EQ(e.number, list.Cell(row, catalogue::ColumnNumber));
    EXPECT_GBK_EQ(e.name, list.Cell(row, catalogue::ColumnName));
    EXPECT_EQ(e.count, list.Cell(row, catalogue::ColumnCount));
    EXPECT_EQ(e.id, list.Cell(row, catalogue::ColumnAlbumId));
    EXPECT_GBK_EQ(e.access, list.Cell(row, catalogue::ColumnAccess));
    EXPECT_EQ(e.address, list.Cell(row, catalogue::ColumnPhotoList));
    EXPECT_EQ(e.checked, list.Checked(row));
    EXPECT_EQ(e.image, list.CellImage(row, catalogue::ColumnCover));
  }
}

TEST_F(AlbumRows, SelectAllTicksEveryRowOnlyWhenItsBoxIsTicked) {
  AddThreeRows();
  m.ui.选择框_反选.SetTicked(1);

  m.ui.选择框_全选.SetTicked(0);  // the click left it unticked
  catalogue::SelectAllRows(m.window);
  EXPECT_EQ((std::vector<int>{1, 0, 1}), Checks());
  EXPECT_EQ(1, m.ui.选择框_反选.Ticked());

  m.ui.选择框_全选.SetTicked(1);
  catalogue::SelectAllRows(m.window);
  EXPECT_EQ((std::vector<int>{1, 1, 1}), Checks());
  EXPECT_EQ(0, m.ui.选择框_反选.Ticked());
}

TEST_F(AlbumRows, SelectAllOnAnEmptyListOnlyUnticksInvert) {
  m.ui.选择框_反选.SetTicked(1);
  m.ui.选择框_全选.SetTicked(1);
  catalogue::SelectAllRows(m.window);
  EXPECT_EQ(0, m.ui.选择框_反选.Ticked());
  EXPECT_EQ(0, m.ui.超级列表框1.RowCount());
}

TEST_F(AlbumRows, InvertFlipsEveryRowOnEachTickingClick) {
  AddThreeRows();
  m.ui.选择框_全选.SetTicked(1);
  m.ui.选择框_反选.SetTicked(1);
  catalogue::InvertRows(m.window);
  EXPECT_EQ((std::vector<int>{0, 1, 0}), Checks());
  EXPECT_EQ(0, m.ui.选择框_全选.Ticked());

  m.ui.选择框_反选.SetTicked(0);  // every second click unticks it and does nothing
  catalogue::InvertRows(m.window);
  EXPECT_EQ((std::vector<int>{0, 1, 0}), Checks());

  m.ui.选择框_反选.SetTicked(1);
  catalogue::InvertRows(m.window);
  EXPECT_EQ((std::vector<int>{1, 0, 1}), Checks());
}

TEST_F(AlbumRows, ToggledRowBecomesTheSelection) {
  AddThreeRows();
  catalogue::SelectToggledRow(m.window, 2, 1);
  EXPECT_EQ(2, m.ui.超级列表框1.CurrentRow());
  EXPECT_EQ(1, m.ui.超级列表框1.Checked(2));
}

} // namespace

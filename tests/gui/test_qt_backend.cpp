#include "app/album_list_view.h"
#include "app/drawing_surface.h"
#include "app/main_window.h"
#include "app/tab_control.h"
#include "catalogue/configuration.h"
#include "platform/codepage.h"
#include "tests/support/gbk_testing.h"
#include "tests/support/gui_testing.h"

#include <QBuffer>
#include <QCheckBox>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

platform::ByteBuffer Encoded(const QImage& image, const char* format = "PNG") {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return platform::ByteBuffer(bytes.begin(), bytes.end());
}

QImage Filled(QColor colour, int width = 10, int height = 10) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(colour);
  return image;
}

QList<QMessageBox*> OpenMessageBoxes() {
  QList<QMessageBox*> boxes;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) boxes.append(box);
  }
  return boxes;
}

// A window whose routed handlers only record that they ran.
class Binding : public testing::Test {
protected:
  void SetUp() override {
    const auto record = [this](std::string name) {
      return [this, name](model::Window&) { m_calls.push_back(name); };
    };
    app::Handlers handlers;
    handlers.StartAlbumFetch = record("StartAlbumFetch");
    handlers.RequestAlbumAccess = record("RequestAlbumAccess");
    handlers.ConfirmAlbumAccess = record("ConfirmAlbumAccess");
    handlers.SelectAllRows = [this](model::Window& window) {
      m_calls.push_back("SelectAllRows " + std::to_string(window.ui.选择框_全选.Ticked()));
    };
    handlers.InvertRows = record("InvertRows");
    handlers.StartDownload = record("StartDownload");
    handlers.PauseDownload = record("PauseDownload");
    handlers.ContinueDownload = record("ContinueDownload");
    handlers.SelectToggledRow = [this](model::Window&, int row, int state) {
      m_calls.push_back("SelectToggledRow " + std::to_string(row) + " " + std::to_string(state));
    };
    app::MainWindow::Options options;
    options.shell.programDirectory = m_directory.path();
    options.shell.pickFolder = [](const QString&, const QString&) { return QString(); };
    options.shell.openUrl = [](const QUrl&) {};
    options.applySkin = [](int) {};
    m_window = std::make_unique<app::MainWindow>(catalogue::DemoConfiguration(18163), std::move(handlers), options);
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
  }

  void TearDown() override {
    for (QMessageBox* box : OpenMessageBoxes()) box->close();
    m_window.reset();
  }

  model::Controls& Ui() { return m_window->Ui(); }
  app::QtBackend& Backend() { return m_window->Backend(); }
  app::AlbumListView* List() { return m_window->ControlAs<app::AlbumListView>("超级列表框1"); }

  void ShowPage(int page) { Ui().选择夹1.SetCurrentPage(page); }

  void Click(std::string_view control) {
    QWidget* widget = m_window->Control(control);
    ASSERT_NE(widget, nullptr);
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
  }

  void AddRows(int count) {
    for (int i = 0; i < count; ++i) {
      const int row = Ui().超级列表框1.InsertRow();
      Ui().超级列表框1.SetCell(row, 1, std::to_string(row + 1));
      Ui().超级列表框1.SetCell(row, 2, "相册"_gbk + std::to_string(row + 1));
    }
  }

  QTemporaryDir m_directory;
  std::unique_ptr<app::MainWindow> m_window;
  std::vector<std::string> m_calls;
};

TEST_F(Binding, EveryRoutedControlEventReachesItsHandler) {
  struct Case {
    const char* control;
    int page;
    const char* handler;
  };
  const Case cases[] = {
      {"按钮4", 0, "ConfirmAlbumAccess"},       {"按钮_获取相册封面", 1, "StartAlbumFetch"},
      {"选择框_反选", 1, "InvertRows"},          {"按钮_下载选中", 1, "StartDownload"},
      {"按钮_暂停线程", 1, "PauseDownload"},     {"按钮_继续下载", 1, "ContinueDownload"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.control);
    ShowPage(c.page);
    // The button trio overlaps: only the one on top can be clicked.
    for (const char* trio : {"按钮_下载选中", "按钮_暂停线程", "按钮_继续下载"})
      Backend().SetVisible(trio, std::string_view(trio) == c.control);
    m_calls.clear();
    Click(c.control);
    EXPECT_EQ(m_calls, std::vector<std::string>{c.handler});
  }
}

TEST_F(Binding, ProgramChangesRaiseNoHandler) {
  AddRows(3);
  model::Controls& ui = Ui();
  ui.选择框_全选.SetTicked(1);
  ui.选择框_反选.SetTicked(1);
  ui.选择框_全选.SetTicked(0);
  ui.超级列表框1.SetChecked(1, 1);
  ui.超级列表框1.SelectRow(2);
  ui.超级列表框1.SetCell(0, 6, "已取得"_gbk);
  ui.选择夹1.SetCurrentPage(1);
  ui.编辑框_号码.SetText("abc");
  ui.编辑框_操作记录.AppendText("log\r\n");
  Backend().SetSelection("组合框1", 0);
  ui.按钮_下载选中.Hide();
  ui.按钮_下载选中.Show();
  EXPECT_TRUE(m_calls.empty());
  EXPECT_EQ(ui.超级列表框1.Checked(1), 1);
  EXPECT_EQ(ui.超级列表框1.CurrentRow(), 2);
}

TEST_F(Binding, AClickTicksTheCheckBoxBeforeItsHandlerRuns) {
  ShowPage(1);
  Click("选择框_全选");
  Click("选择框_全选");
  EXPECT_EQ(m_calls, (std::vector<std::string>{"SelectAllRows 1", "SelectAllRows 0"}));
}

TEST_F(Binding, RowCheckBoxesAnswerTheUsersClicksAndSpace) {
  ShowPage(1);
  AddRows(3);
  app::AlbumListView* list = List();
  QWidget* viewport = list->viewport();

  QTest::mouseClick(viewport, Qt::LeftButton, {}, list->CheckBoxRect(2).center());
  EXPECT_EQ(m_calls, std::vector<std::string>{"SelectToggledRow 2 1"});
  EXPECT_EQ(Ui().超级列表框1.Checked(2), 1);
  // The check box takes the click alone; making the row current is the handler's.
  EXPECT_EQ(Ui().超级列表框1.CurrentRow(), -1);

  m_calls.clear();
  const QRect nameCell = list->visualRect(list->model()->index(1, 2));
  QTest::mouseClick(viewport, Qt::LeftButton, {}, nameCell.center());
  EXPECT_TRUE(m_calls.empty());
  EXPECT_EQ(Ui().超级列表框1.CurrentRow(), 1);
  EXPECT_EQ(Ui().超级列表框1.Checked(1), 0);

  QTest::keyClick(list, Qt::Key_Space);
  EXPECT_EQ(m_calls, std::vector<std::string>{"SelectToggledRow 1 1"});

  m_calls.clear();
  QTest::mouseClick(viewport, Qt::RightButton, {}, list->CheckBoxRect(2).center());
  EXPECT_EQ(m_calls, std::vector<std::string>{"SelectToggledRow 2 0"});
  EXPECT_EQ(Ui().超级列表框1.Checked(2), 0);
}

TEST_F(Binding, DoubleClickAnywhereInTheListAsksForAccess) {
  ShowPage(1);
  AddRows(2);
  app::AlbumListView* list = List();
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(1, 6)).center());
  EXPECT_EQ(m_calls, std::vector<std::string>{"RequestAlbumAccess"});
  m_calls.clear();
  // Below the last row.
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(200, list->viewport()->height() - 5));
  EXPECT_EQ(m_calls, std::vector<std::string>{"RequestAlbumAccess"});
}

TEST_F(Binding, AppendedTextGoesToTheEndWhereverTheCaretIs) {
  auto* log = m_window->ControlAs<QPlainTextEdit>("编辑框_操作记录");
  ShowPage(1);
  platform::Text many;
  for (int i = 0; i < 60; ++i) many += "第"_gbk + std::to_string(i) + "行\r\n"_gbk;
  Ui().编辑框_操作记录.SetText(many);
  QTextCursor start = log->textCursor();
  start.movePosition(QTextCursor::Start);
  log->setTextCursor(start);
  log->verticalScrollBar()->setValue(0);

  Ui().编辑框_操作记录.AppendText("-----获取完毕,共计3个\r\n\r\n"_gbk);
  EXPECT_GBK_EQ(many + "-----获取完毕,共计3个\r\n\r\n"_gbk, Ui().编辑框_操作记录.GetText());
  EXPECT_TRUE(log->textCursor().atEnd());
  EXPECT_GT(log->verticalScrollBar()->value(), 0);
  EXPECT_TRUE(log->viewport()->rect().contains(log->cursorRect()));
}

TEST_F(Binding, ProgressValuesStayInRange) {
  const model::ProgressBar& bar = Ui().进度条1;
  struct Case {
    const char* step;
    int minimum, maximum, position;
  };
  bar.SetMaximum(40000);
  const Case afterHugeMaximum{"maximum beyond the limit", 0, 32767, 0};
  const auto check = [&](const Case& c) {
    SCOPED_TRACE(c.step);
    EXPECT_EQ(bar.Minimum(), c.minimum);
    EXPECT_EQ(bar.Maximum(), c.maximum);
    EXPECT_EQ(bar.Position(), c.position);
  };
  check(afterHugeMaximum);
  bar.SetPosition(50000);
  check({"position beyond the limit", 0, 32767, 32767});
  bar.SetMaximum(7);
  check({"a smaller range keeps the position inside", 0, 7, 7});
  bar.SetPosition(-3);
  check({"negative position", 0, 7, 0});
  bar.SetMinimum(-10);
  check({"negative minimum", 0, 7, 0});
  bar.SetMinimum(3);
  check({"a minimum above the position", 3, 7, 3});
}

TEST_F(Binding, CellsAndRowsOutsideTheListReadEmptyAndChangeNothing) {
  AddRows(2);
  const model::ListView& list = Ui().超级列表框1;
  list.SetCell(5, 2, "x");
  list.SetCell(0, 8, "x");
  list.SetChecked(7, 1);
  list.SelectRow(9);
  list.SetCellImage(4, 3, 0);
  EXPECT_EQ(list.RowCount(), 2);
  EXPECT_EQ(list.Cell(5, 2), "");
  EXPECT_EQ(list.Cell(0, -1), "");
  EXPECT_EQ(list.Checked(7), 0);
  EXPECT_EQ(list.CurrentRow(), -1);
  EXPECT_EQ(list.CellImage(1, 3), -1);
  EXPECT_EQ(list.ColumnWidth(8), 0);
  list.SetColumnWidth(5, 0);
  EXPECT_EQ(list.ColumnWidth(5), 0);
  list.DeleteAllRows();
  EXPECT_EQ(list.RowCount(), 0);
  EXPECT_EQ(list.ColumnWidth(5), 0);
}

TEST_F(Binding, SelectingARowDoesNotScrollToIt) {
  ShowPage(1);
  AddRows(10);
  app::AlbumListView* list = List();
  list->verticalScrollBar()->setValue(0);
  Ui().超级列表框1.SelectRow(8);
  EXPECT_EQ(Ui().超级列表框1.CurrentRow(), 8);
  EXPECT_EQ(list->currentIndex().row(), 8);
  EXPECT_EQ(list->verticalScrollBar()->value(), 0);
}

TEST_F(Binding, DrawingSurfaceStretchesWithoutClearingAndReadsBack) {
  const model::Canvas& canvas = Ui().画板1;
  ASSERT_TRUE(canvas.DrawPicture(Encoded(Filled(Qt::red)), 0, 0, 100, 100));
  ASSERT_TRUE(canvas.DrawPicture(Encoded(Filled(Qt::blue), "JPEG"), 0, 0, 50, 50));
  EXPECT_FALSE(canvas.DrawPicture(platform::ToBytes("<html>not a picture</html>"), 0, 0, 100, 100));
  EXPECT_FALSE(canvas.DrawPicture({}, 0, 0, 100, 100));

  const QImage& surface = m_window->ControlAs<app::DrawingSurface>("画板1")->Surface();
  EXPECT_EQ(surface.size(), QSize(112, 88));
  EXPECT_EQ(QColor(surface.pixel(75, 75)), QColor(Qt::red));
  EXPECT_LE(std::abs(QColor(surface.pixel(20, 20)).blue() - 255), 8);
  // Outside the rectangle the surface keeps its background.
  EXPECT_EQ(surface.pixel(105, 20), 0xFFF0F0F0u);

  const model::Picture picture = canvas.TakePicture(100, 100);
  ASSERT_EQ(picture.width, 100);
  ASSERT_EQ(picture.height, 100);
  ASSERT_EQ(picture.pixels.size(), 100u * 100u);
  EXPECT_EQ(picture.pixels[50 * 100 + 70], 0xFFFF0000u);
  EXPECT_EQ(picture.pixels[50 * 100 + 99] & 0xFF000000u, 0xFF000000u);
}

TEST_F(Binding, TheListKeepsItsOwnPicturesWithWhiteTransparent) {
  ShowPage(1);
  AddRows(2);
  QImage cover = Filled(Qt::white, 100, 100);
  QPainter(&cover).fillRect(QRect(30, 30, 40, 40), Qt::red);
  model::ImageList images{100, 100, 0xFFFFFFFFu, {app::ToPicture(Filled(Qt::green, 100, 100)), app::ToPicture(cover)}};
  Ui().超级列表框1.SetSmallImageList(images);
  images.pictures.clear();
  Ui().超级列表框1.SetCellImage(1, 3, 1);
  EXPECT_EQ(Ui().超级列表框1.CellImage(1, 3), 1);

  app::AlbumListView* list = List();
  ASSERT_EQ(list->SmallImages().size(), 2);
  const QImage kept = list->SmallImages().at(1).toImage();
  EXPECT_EQ(qAlpha(kept.pixel(5, 5)), 0);
  EXPECT_EQ(QColor(kept.pixel(50, 50)), QColor(Qt::red));

  // Drawn in its cell: red in the middle, the text background where it is transparent.
  const QRect cell = list->visualRect(list->model()->index(1, 3));
  const QImage shown = list->viewport()->grab(cell).toImage();
  EXPECT_EQ(QColor(shown.pixel(50, 50)), QColor(Qt::red));
  EXPECT_EQ(QColor(shown.pixel(5, 5)), QColor(225, 227, 230));
}

TEST_F(Binding, AWorkerWritesThroughTheGuiThreadWhichStaysResponsive) {
  ShowPage(1);
  std::atomic<bool> running{true};
  int ticksWhileRunning = 0;
  QTimer timer;
  timer.setInterval(0);
  QObject::connect(&timer, &QTimer::timeout, &timer, [&] {
    if (running) ++ticksWhileRunning;
  });
  timer.start();

  constexpr int Lines = 200;
  std::thread worker([&] {
    for (int i = 1; i <= Lines; ++i) {
      Ui().标签_动态.SetText("第"_gbk + std::to_string(i) + "个"_gbk);
      Ui().编辑框_操作记录.AppendText(std::to_string(i) + "\r\n");
      Ui().进度条1.SetPosition(i % 101);
    }
    running = false;
  });
  const bool finished = testing_support::WaitUntil([&] { return !running; });
  worker.join();
  ASSERT_TRUE(finished);

  EXPECT_GBK_EQ("第200个"_gbk, Ui().标签_动态.GetText());
  platform::Text expected;
  for (int i = 1; i <= Lines; ++i) expected += std::to_string(i) + "\r\n";
  EXPECT_EQ(Ui().编辑框_操作记录.GetText(), expected);
  EXPECT_GT(ticksWhileRunning, 1);
}

TEST_F(Binding, AtShutdownWorkersCallsReturnAtOnceWithEmptyValues) {
  // The GUI thread does not run its events here: a worker's call can only
  // come back through the shutdown.
  Ui().标签_动态.SetText("before");
  auto blocked = std::async(std::launch::async, [&] { return Ui().标签_动态.GetText(); });
  while (Backend().WaitingCalls() == 0) std::this_thread::sleep_for(1ms);
  Backend().BeginShutdown();
  ASSERT_EQ(blocked.wait_for(30s), std::future_status::ready);
  EXPECT_EQ(blocked.get(), "");

  auto later = std::async(std::launch::async, [&] {
    Ui().标签_动态.SetText("after");
    Ui().ShowMessage("全部下载完毕"_gbk);
    return Ui().超级列表框1.RowCount() + Ui().进度条1.Maximum();
  });
  ASSERT_EQ(later.wait_for(30s), std::future_status::ready);
  EXPECT_EQ(later.get(), 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(Ui().标签_动态.GetText(), "before");
  EXPECT_TRUE(OpenMessageBoxes().isEmpty());
}

TEST_F(Binding, AWorkersMessageBoxLeavesTheWindowUsable) {
  ShowPage(1);
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    Ui().ShowMessage("全部下载完毕"_gbk);
    returned = true;
  });
  ASSERT_TRUE(testing_support::WaitUntil([] { return !OpenMessageBoxes().isEmpty(); }));
  QMessageBox* box = OpenMessageBoxes().first();
  EXPECT_EQ(box->windowTitle(), QStringLiteral("信息："));
  EXPECT_EQ(box->text(), QStringLiteral("全部下载完毕"));
  EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
  EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
  EXPECT_EQ(box->windowModality(), Qt::NonModal);

  // A new download can start while the box is open.
  Click("按钮_下载选中");
  EXPECT_EQ(m_calls, std::vector<std::string>{"StartDownload"});
  QTest::qWait(50);
  EXPECT_FALSE(returned);

  QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
  const bool done = testing_support::WaitUntil([&] { return returned.load(); });
  worker.join();
  EXPECT_TRUE(done);
}

TEST_F(Binding, ClosingTheWindowReleasesAWorkerWaitingOnAMessageBox) {
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    Ui().ShowMessage("获取失败"_gbk);
    returned = true;
  });
  ASSERT_TRUE(testing_support::WaitUntil([] { return !OpenMessageBoxes().isEmpty(); }));
  m_window->close();
  const bool done = testing_support::WaitUntil([&] { return returned.load(); });
  worker.join();
  EXPECT_TRUE(done);
  EXPECT_TRUE(testing_support::WaitUntil([] { return OpenMessageBoxes().isEmpty(); }));
}

TEST_F(Binding, TheGuiThreadsMessageBoxIsModal) {
  QString title, text;
  bool modal = false;
  QTimer closer;
  closer.setInterval(10);
  QObject::connect(&closer, &QTimer::timeout, &closer, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    closer.stop();
    title = box->windowTitle();
    text = box->text();
    modal = box->isModal();
    box->button(QMessageBox::Ok)->click();
  });
  closer.start();
  Ui().ShowMessage("您输入的内容为空"_gbk);
  EXPECT_EQ(title, QStringLiteral("信息："));
  EXPECT_EQ(text, QStringLiteral("您输入的内容为空"));
  EXPECT_TRUE(modal);
}

} // namespace

ORLIO_GUI_TEST_MAIN()

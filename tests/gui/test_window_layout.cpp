#include "app/album_list_view.h"
#include "app/drawing_surface.h"
#include "app/main_window.h"
#include "app/model/layout.h"
#include "app/qt_text.h"
#include "app/skin.h"
#include "app/start_up.h"
#include "app/tab_control.h"
#include "catalogue/configuration.h"
#include "platform/codepage.h"
#include "tests/support/gbk_testing.h"
#include "tests/support/gui_testing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTemporaryDir>
#include <QWebEngineView>

#include <memory>

namespace {

using model::ControlKind;
using model::ControlLayout;

catalogue::Configuration TestConfiguration() {
  catalogue::Configuration config = catalogue::DemoConfiguration(18163);
  config.MakerPageUrl = "http://maker.localhost:18163/作者"_gbk;
  return config;
}

bool HasKind(QWidget* widget, ControlKind kind) {
  switch (kind) {
  case ControlKind::TabControl: return qobject_cast<QTabWidget*>(widget);
  case ControlKind::GroupBox: return qobject_cast<QGroupBox*>(widget);
  case ControlKind::Label: return qobject_cast<QLabel*>(widget);
  case ControlKind::EditBox: return qobject_cast<QLineEdit*>(widget);
  case ControlKind::MultiLineEdit: return qobject_cast<QPlainTextEdit*>(widget);
  case ControlKind::Button: return qobject_cast<QPushButton*>(widget);
  case ControlKind::CheckBox: return qobject_cast<QCheckBox*>(widget);
  case ControlKind::ComboBox: return qobject_cast<QComboBox*>(widget);
  case ControlKind::ProgressBar: return qobject_cast<QProgressBar*>(widget);
  case ControlKind::ListView: return qobject_cast<QTableWidget*>(widget);
  case ControlKind::Browser: return qobject_cast<QWebEngineView*>(widget);
  case ControlKind::Canvas: return qobject_cast<app::DrawingSurface*>(widget);
  case ControlKind::Page: return false;
  }
  return false;
}

class WindowLayout : public testing::Test {
protected:
  static void SetUpTestSuite() {
    s_directory = std::make_unique<QTemporaryDir>();
    app::MainWindow::Options options;
    options.shell.programDirectory = s_directory->path();
    s_window = std::make_unique<app::MainWindow>(TestConfiguration(), app::Handlers{}, options);
    // The look the window starts with.
    app::ApplySkin(app::ProgramSkin, s_directory->path());
  }
  static void TearDownTestSuite() {
    s_window.reset();
    s_directory.reset();
  }

  app::MainWindow& Window() { return *s_window; }
  app::TabControl* Tabs() { return Window().ControlAs<app::TabControl>("选择夹1"); }

  static std::unique_ptr<QTemporaryDir> s_directory;
  static std::unique_ptr<app::MainWindow> s_window;
};

std::unique_ptr<QTemporaryDir> WindowLayout::s_directory;
std::unique_ptr<app::MainWindow> WindowLayout::s_window;

TEST_F(WindowLayout, EveryControlHasItsNameKindPlaceAndParent) {
  app::TabControl* tabs = Tabs();
  ASSERT_NE(tabs, nullptr);
  for (const ControlLayout& layout : model::MainWindowLayout()) {
    SCOPED_TRACE(std::string(layout.name));
    QWidget* widget = Window().Control(layout.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->objectName(), app::FromSource(layout.name));
    EXPECT_TRUE(HasKind(widget, layout.kind));
    EXPECT_EQ(widget->size(), QSize(layout.width, layout.height));
    if (layout.kind == ControlKind::TabControl) {
      EXPECT_EQ(widget->parentWidget(), &Window());
      EXPECT_EQ(widget->pos(), QPoint(layout.left, layout.top));
    } else if (layout.parent.empty()) {
      // Page controls are placed from the tab control's own corner.
      EXPECT_EQ(widget->mapTo(tabs, QPoint(0, 0)), QPoint(layout.left, layout.top));
      EXPECT_TRUE(tabs->Page(layout.page)->isAncestorOf(widget));
    } else {
      ASSERT_NE(widget->parentWidget(), nullptr);
      EXPECT_EQ(widget->parentWidget()->objectName(), app::FromSource(layout.parent));
      EXPECT_EQ(widget->pos(), QPoint(layout.left, layout.top));
      EXPECT_TRUE(tabs->Page(layout.page)->isAncestorOf(widget));
    }
  }
}

TEST_F(WindowLayout, InitialTextsStatesAndFontsComeFromTheLayout) {
  model::Controls& ui = Window().Ui();
  const catalogue::Configuration config = TestConfiguration();
  for (const ControlLayout& layout : model::MainWindowLayout()) {
    SCOPED_TRACE(std::string(layout.name));
    QWidget* widget = Window().Control(layout.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(ui.backend.IsVisible(layout.name), !layout.hidden);
    EXPECT_EQ(widget->isHidden(), layout.hidden);

    platform::Text expected = platform::Utf8ToGbk(layout.text);
    if (layout.name == "编辑框_url") expected = config.AlbumSiteRoot;
    if (layout.name == "标签7") expected = config.MakerPageUrl;
    if (layout.kind != ControlKind::TabControl && layout.kind != ControlKind::ListView &&
        layout.kind != ControlKind::Browser && layout.kind != ControlKind::Canvas) {
      EXPECT_GBK_EQ(expected, ui.backend.GetText(layout.name));
    }

    const QFont font = layout.kind == ControlKind::TabControl ? Tabs()->tabBar()->font() : widget->font();
    if (layout.fontPixels > 0) {
      EXPECT_EQ(font.pixelSize(), layout.fontPixels);
    }
    EXPECT_EQ(font.bold(), layout.bold);
    EXPECT_EQ(font.underline(), layout.underline);
  }
  EXPECT_EQ(ui.组合框1.Selection(), 0);
  EXPECT_EQ(Window().ControlAs<QComboBox>("组合框1")->count(), 1);
  EXPECT_FALSE(Window().ControlAs<QComboBox>("组合框1")->isEditable());
  EXPECT_EQ(ui.进度条1.Minimum(), 0);
  EXPECT_EQ(ui.进度条1.Maximum(), 100);
  EXPECT_EQ(ui.进度条1.Position(), 0);
  for (const model::CheckBox* box : {&ui.选择框_自己的, &ui.选择框_全选, &ui.选择框_反选, &ui.选择框_有封面})
    EXPECT_EQ(box->Ticked(), 0);
  EXPECT_TRUE(ui.按钮_下载选中.IsVisible());
  EXPECT_FALSE(ui.按钮_暂停线程.IsVisible());
  EXPECT_FALSE(ui.按钮_继续下载.IsVisible());
}

TEST_F(WindowLayout, ColoursAndBordersOfTheLayoutShow) {
  struct Case {
    const char* name;
    QRgb colour;
  };
  // Text colours: painted text in the control's colour.
  for (const Case& c : {Case{"标签_banbenjieguo", 0xFF0000}, Case{"标签_动态", 0x0000FF}, Case{"标签7", 0x0088FF}}) {
    SCOPED_TRACE(c.name);
    auto* label = Window().ControlAs<QLabel>(c.name);
    ASSERT_NE(label, nullptr);
    const QString before = label->text();
    label->setText(QStringLiteral("███████"));
    const QImage picture = label->grab().toImage();
    label->setText(before);
    bool found = false;
    for (int y = 0; y < picture.height() && !found; ++y)
      for (int x = 0; x < picture.width() && !found; ++x) found = (picture.pixel(x, y) & 0xFFFFFF) == c.colour;
    EXPECT_TRUE(found);
  }
  // Backgrounds: a spot with no child on it.
  const QImage group = Window().Control("分组框3")->grab().toImage();
  EXPECT_EQ(group.pixel(400, 418 + 2) & 0xFFFFFF, 0xECECECu);
  const QImage counter = Window().Control("标签_第多少张照片")->grab().toImage();
  EXPECT_EQ(counter.pixel(counter.width() / 2, counter.height() / 2) & 0xFFFFFF, 0xFFFFFFu);
  // Single-line borders: the edge differs from the inside.
  for (const ControlLayout& layout : model::MainWindowLayout()) {
    if (!layout.border) continue;
    SCOPED_TRACE(std::string(layout.name));
    auto* label = Window().ControlAs<QLabel>(layout.name);
    ASSERT_NE(label, nullptr);
    const QString before = label->text();
    label->clear();
    const QImage picture = label->grab().toImage();
    label->setText(before);
    EXPECT_NE(picture.pixel(0, picture.height() / 2), picture.pixel(picture.width() / 2, picture.height() / 2));
  }
}

TEST_F(WindowLayout, TabsShowTheirOwnPagesOnly) {
  app::TabControl* tabs = Tabs();
  ASSERT_EQ(tabs->count(), 3);
  const auto captions = model::TabCaptions();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(tabs->tabText(i), app::FromSource(captions[static_cast<std::size_t>(i)]));
  EXPECT_EQ(tabs->currentIndex(), 0);
  EXPECT_TRUE(tabs->tabBar()->font().bold());
  EXPECT_EQ(tabs->tabBar()->font().pixelSize(), 16);

  Window().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window()));
  QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
  EXPECT_EQ(tabs->currentIndex(), 1);
  EXPECT_TRUE(Window().Control("编辑框_号码")->isVisible());
  EXPECT_FALSE(Window().Control("按钮1")->isVisible());
  // Hidden by the page, not by itself.
  EXPECT_TRUE(Window().Ui().按钮1.IsVisible());
  EXPECT_FALSE(Window().Control("按钮_暂停线程")->isVisible());

  Window().Ui().选择夹1.SetCurrentPage(2);
  EXPECT_TRUE(Window().Control("按钮_checknew")->isVisible());
  EXPECT_FALSE(Window().Control("编辑框_号码")->isVisible());
  Window().Ui().选择夹1.SetCurrentPage(0);
  EXPECT_TRUE(Window().Control("按钮1")->isVisible());
  Window().hide();
}

TEST_F(WindowLayout, WindowIsFixedCentredAndHasItsTitleAndIcon) {
  EXPECT_EQ(Window().windowTitle(), app::FromSource(model::WindowTitle));
  EXPECT_FALSE(Window().windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(Window().windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(Window().windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(Window().windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(Window().windowIcon().pixmap(32, 32).isNull());
  EXPECT_EQ(Window().windowIcon().pixmap(32, 32).size(), QSize(32, 32));

  Window().show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window()));
  EXPECT_EQ(Window().minimumSize(), Window().maximumSize());
  EXPECT_TRUE(testing_support::WaitUntil(
      [&] { return Window().frameGeometry().size() == QSize(model::WindowWidth, model::WindowHeight); }));
  const QRect screen = Window().screen()->availableGeometry();
  const QPoint offset = Window().frameGeometry().center() - screen.center();
  EXPECT_LE(offset.manhattanLength(), 2);
  Window().hide();
}

TEST_F(WindowLayout, AlbumListIsAReportViewWithTallCheckedRows) {
  auto* list = Window().ControlAs<app::AlbumListView>("超级列表框1");
  ASSERT_NE(list, nullptr);
  const auto columns = model::AlbumListColumns();
  ASSERT_EQ(list->columnCount(), static_cast<int>(columns.size()));
  for (int i = 0; i < list->columnCount(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(list->horizontalHeaderItem(i)->text(), app::FromSource(columns[static_cast<std::size_t>(i)].title));
    EXPECT_EQ(list->horizontalHeader()->sectionSize(i), columns[static_cast<std::size_t>(i)].width);
  }
  EXPECT_FALSE(list->horizontalHeader()->sectionsClickable());
  EXPECT_TRUE(list->horizontalHeader()->sectionsMovable());
  EXPECT_FALSE(list->isSortingEnabled());
  EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_TRUE(list->showGrid());
  EXPECT_EQ(Window().Ui().超级列表框1.RowCount(), 0);
  EXPECT_EQ(Window().Ui().超级列表框1.CurrentRow(), -1);
  EXPECT_EQ(list->TextColour(), QColor(0, 136, 255));
  EXPECT_EQ(list->TextBackground(), QColor(225, 227, 230));

  // No covers: the rows are still as tall as a thumbnail.
  const model::ListView& rows = Window().Ui().超级列表框1;
  rows.InsertRow();
  rows.InsertRow();
  rows.SetCell(0, 2, "相册一"_gbk);
  EXPECT_EQ(list->rowHeight(0), model::ListRowHeight);
  EXPECT_EQ(list->rowViewportPosition(1) - list->rowViewportPosition(0), model::ListRowHeight);
  EXPECT_EQ(rows.CurrentRow(), -1);
  EXPECT_EQ(list->StatePicture(0).size(), QSize(60, 100));
  EXPECT_EQ(list->StatePicture(1).size(), QSize(60, 100));
  EXPECT_NE(list->StatePicture(0).toImage(), list->StatePicture(1).toImage());
  rows.DeleteAllRows();
}

TEST_F(WindowLayout, LinkLabelAndAnimatedSupportButton) {
  auto* link = Window().ControlAs<QLabel>("标签7");
  EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
  auto* support = Window().ControlAs<QPushButton>("按钮2");
  EXPECT_TRUE(support->text().isEmpty());
  EXPECT_EQ(support->iconSize(), QSize(57, 16));
  const qint64 first = support->icon().cacheKey();
  EXPECT_TRUE(testing_support::WaitUntil([&] { return support->icon().cacheKey() != first; }));
}

// Chinese captions must not come out as empty boxes.
TEST(WindowFont, HasGlyphsForEveryCaption) {
  const QFontMetrics metrics(QApplication::font());
  std::vector<std::string_view> texts{model::WindowTitle};
  for (const ControlLayout& layout : model::MainWindowLayout()) texts.push_back(layout.text);
  for (std::string_view caption : model::TabCaptions()) texts.push_back(caption);
  for (const model::ListColumn& column : model::AlbumListColumns()) texts.push_back(column.title);
  for (std::string_view text : texts) {
    for (const uint character : app::FromSource(text).toUcs4()) {
      if (character <= 0x20) continue;
      EXPECT_TRUE(metrics.inFontUcs4(character)) << "U+" << std::hex << character << " in " << text;
    }
  }
}

} // namespace

ORLIO_GUI_TEST_MAIN()

#include "tools/walkthrough/walkthrough.h"

#include "app/album_list_view.h"
#include "app/main_window.h"
#include "app/qt_text.h"
#include "catalogue/album_rows.h"
#include "platform/cookie_store.h"
#include "tools/album-service/album_service.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>
#include <memory>

namespace walkthrough {
namespace {

using Clock = std::chrono::steady_clock;

const QString MessageCaption = QStringLiteral("信息：");
const QString NeedsAccess = QStringLiteral("双击获取权限");
const QString AccessGranted = QStringLiteral("已取得");
const QString AccessGrantedOnPage = QStringLiteral("已取得访问权限");
const QString AllDone = QStringLiteral("全部下载完毕");
const QString DownloadFinished = QStringLiteral("下载完成");

constexpr int AccessColumn = catalogue::ColumnAccess;
constexpr int AlbumIdColumn = catalogue::ColumnAlbumId;
constexpr int AddressColumn = catalogue::ColumnPhotoList;
constexpr int NameColumn = catalogue::ColumnName;

// The screenshot waits until the window has painted what the step did.
constexpr auto PaintSettle = 300ms;
// A paused download is taken as settled once nothing has moved for this long.
constexpr auto PauseSettle = 500ms;
constexpr auto PagePoll = 100ms;

QString Name(const char* control) { return QString::fromUtf8(control); }

QString JsString(const QString& text) {
  QString quoted = QStringLiteral("'");
  for (const QChar c : text) {
    if (c == u'\\' || c == u'\'') quoted += u'\\';
    if (c == u'\n') {
      quoted += QStringLiteral("\\n");
      continue;
    }
    quoted += c;
  }
  return quoted + u'\'';
}

bool IsShown(QWidget* widget) { return widget && widget->isVisible(); }

// Answers the program's own modal message boxes that a click brings up
// unexpectedly: the click would otherwise never return.
class UnexpectedMessageGuard {
public:
  UnexpectedMessageGuard() {
    m_timer.setInterval(100);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
      for (QWidget* top : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(top);
        if (!box || !box->isVisible() || !box->isModal()) continue;
        m_texts.append(box->text());
        if (QAbstractButton* ok = box->button(QMessageBox::Ok)) QTest::mouseClick(ok, Qt::LeftButton);
        else box->done(QMessageBox::Ok);
      }
    });
    m_timer.start();
  }
  const QStringList& Texts() const { return m_texts; }

private:
  QTimer m_timer;
  QStringList m_texts;
};

} // namespace

MainJob::MainJob(app::MainWindow& window, Settings settings) : m_window(window), m_settings(std::move(settings)) {
  m_browser = m_window.ControlAs<QWebEngineView>("超文本浏览框1");
  m_list = m_window.ControlAs<app::AlbumListView>("超级列表框1");
  if (m_browser) QObject::connect(m_browser, &QWebEngineView::loadFinished, &m_window, [this](bool) { ++m_loads; });
  QObject::connect(&m_window, &app::MainWindow::closed, &m_window, [this] { m_closed = true; });
  if (!m_settings.outputFolder.isEmpty()) QDir().mkpath(m_settings.outputFolder);
}

MainJob::~MainJob() {
  if (m_browser) QObject::disconnect(m_browser, nullptr, &m_window, nullptr);
  QObject::disconnect(&m_window, &app::MainWindow::closed, &m_window, nullptr);
}

bool MainJob::Fail(const QString& why) {
  if (m_failure.isEmpty()) m_failure = why;
  return false;
}

QWidget* MainJob::Find(const char* control) {
  QWidget* widget = m_window.Control(control);
  if (!widget) Fail(QStringLiteral("the window has no control %1").arg(Name(control)));
  return widget;
}

void MainJob::Linger(std::chrono::milliseconds time) { QTest::qWait(static_cast<int>(time.count())); }

bool MainJob::WaitFor(const std::function<bool()>& condition, const QString& what) {
  const auto deadline = Clock::now() + m_settings.limit;
  while (!condition()) {
    if (Clock::now() >= deadline) return Fail(QStringLiteral("gave up waiting for %1").arg(what));
    QTest::qWait(10);
  }
  return true;
}

bool MainJob::Click(const char* control) {
  QWidget* widget = Find(control);
  if (!widget) return false;
  if (!widget->isVisible()) return Fail(QStringLiteral("%1 is not on the screen").arg(Name(control)));
  if (!widget->isEnabled()) return Fail(QStringLiteral("%1 cannot be pressed").arg(Name(control)));
  UnexpectedMessageGuard guard;
  QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
  if (!guard.Texts().isEmpty())
    return Fail(QStringLiteral("pressing %1 brought up the message \"%2\"").arg(Name(control), guard.Texts().join(u' ')));
  return true;
}

bool MainJob::ClickCheckBox(const char* control) {
  auto* box = qobject_cast<QCheckBox*>(Find(control));
  if (!box) return Fail(QStringLiteral("%1 is not a check box").arg(Name(control)));
  if (!box->isVisible()) return Fail(QStringLiteral("%1 is not on the screen").arg(Name(control)));
  QStyleOptionButton option;
  option.initFrom(box);
  option.text = box->text();
  const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
  const bool before = box->isChecked();
  QTest::mouseClick(box, Qt::LeftButton, {}, indicator.isValid() ? indicator.center() : QPoint(8, box->height() / 2));
  if (box->isChecked() == before) return Fail(QStringLiteral("clicking %1 did not change its tick").arg(Name(control)));
  return true;
}

bool MainJob::TypeInto(const char* control, const QString& text) {
  auto* edit = qobject_cast<QLineEdit*>(Find(control));
  if (!edit) return Fail(QStringLiteral("%1 is not an edit box").arg(Name(control)));
  if (!edit->isVisible()) return Fail(QStringLiteral("%1 is not on the screen").arg(Name(control)));
  QTest::mouseClick(edit, Qt::LeftButton, {}, edit->rect().center());
  QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(edit, Qt::Key_Backspace);
  for (const QChar c : text) {
    if (c.unicode() >= 0x20 && c.unicode() < 0x7F) {
      QTest::keyClick(edit, static_cast<char>(c.unicode()));
    } else {
      // No key of a US keyboard makes it: it arrives as an input method would send it.
      QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }
  if (edit->text() != text)
    return Fail(QStringLiteral("%1 reads \"%2\" after typing \"%3\"").arg(Name(control), edit->text(), text));
  return true;
}

bool MainJob::SwitchToTab(int index) {
  auto* tabs = m_window.ControlAs<QTabWidget>("选择夹1");
  if (!tabs) return Fail(QStringLiteral("the window has no tab control"));
  if (tabs->currentIndex() == index) return true;
  QTabBar* bar = tabs->tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
  return WaitFor([&] { return tabs->currentIndex() == index; }, QStringLiteral("tab %1").arg(index));
}

QVariant MainJob::RunScript(const QString& script) {
  if (!m_browser) {
    Fail(QStringLiteral("the window has no browser"));
    return {};
  }
  // Shared with the callback, which may come after a wait that gave up.
  struct Answer {
    bool done = false;
    QVariant value;
  };
  auto answer = std::make_shared<Answer>();
  m_browser->page()->runJavaScript(script, [answer](const QVariant& value) {
    answer->value = value;
    answer->done = true;
  });
  if (!WaitFor([&] { return answer->done; }, QStringLiteral("the page to run a script"))) return {};
  return answer->value;
}

bool MainJob::WaitForPage(const QString& condition, const QString& what) {
  const auto deadline = Clock::now() + m_settings.limit;
  const QString script = QStringLiteral("!!(%1)").arg(condition);
  for (;;) {
    if (RunScript(script).toBool()) return true;
    if (Clock::now() >= deadline) return Fail(QStringLiteral("gave up waiting for %1").arg(what));
    Linger(PagePoll);
  }
}

QString MainJob::CellText(int row, int column) const {
  const QTableWidgetItem* cell = m_list ? m_list->item(row, column) : nullptr;
  return cell ? cell->text() : QString();
}

QMessageBox* MainJob::VisibleMessageBox(const QString& text) const {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(top);
    if (box && box->isVisible() && box->windowTitle() == MessageCaption && (text.isEmpty() || box->text() == text))
      return box;
  }
  return nullptr;
}

QString MainJob::OperationLog() const {
  const auto* log = m_window.ControlAs<QPlainTextEdit>("编辑框_操作记录");
  return log ? log->toPlainText() : QString();
}

int MainJob::FilesSaved() const {
  if (m_settings.saveFolder.isEmpty()) return 0;
  int files = 0;
  QDirIterator found(m_settings.saveFolder, QDir::Files, QDirIterator::Subdirectories);
  while (found.hasNext()) {
    found.next();
    ++files;
  }
  return files;
}

QImage MainJob::Screenshot() const {
  QImage shot = m_window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
  QPainter painter(&shot);
  // Message boxes are windows of their own; the window manager's frame and
  // caption are drawn here, since a grab holds only the client area.
  for (QWidget* top : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(top);
    if (!box || !box->isVisible()) continue;
    const QPixmap picture = box->grab();
    constexpr int CaptionHeight = 22;
    QRect frame(box->geometry().topLeft() - m_window.geometry().topLeft() - QPoint(1, CaptionHeight + 1),
                picture.size() + QSize(2, CaptionHeight + 2));
    if (!shot.rect().contains(frame)) frame.moveCenter(shot.rect().center());
    painter.fillRect(frame, QColor(0x2d, 0x7d, 0xd2));
    painter.setPen(Qt::white);
    QFont caption = QApplication::font();
    caption.setBold(true);
    painter.setFont(caption);
    painter.drawText(frame.adjusted(8, 0, 0, 0).topLeft() + QPoint(0, 15), box->windowTitle());
    painter.drawPixmap(frame.topLeft() + QPoint(1, CaptionHeight + 1), picture);
  }
  painter.end();
  return shot;
}

bool MainJob::Step(int number, const char* name, const Body& body, bool screenshot) {
  StepRecord record;
  record.number = number;
  record.name = QString::fromUtf8(name);
  m_failure.clear();
  m_note.clear();
  m_nothingToShow = false;
  record.ok = body();
  record.detail = record.ok ? m_note : m_failure;
  // A step that changed nothing on the screen gets no picture of its own.
  if (screenshot && !m_nothingToShow && !m_settings.outputFolder.isEmpty()) {
    Linger(PaintSettle);
    const QString file = QDir(m_settings.outputFolder)
                             .filePath(QStringLiteral("main-job-%1-%2%3.png")
                                           .arg(number, 2, 10, QLatin1Char('0'))
                                           .arg(record.name, record.ok ? QString() : QStringLiteral("-FAILED")));
    if (Screenshot().save(file)) record.screenshot = file;
  }
  if (m_settings.report) {
    QString line = QStringLiteral("step %1 %2: ").arg(number, 2, 10, QLatin1Char('0')).arg(record.name);
    line += record.ok ? QStringLiteral("ok") : QStringLiteral("FAILED: ") + record.detail;
    if (record.ok && !record.detail.isEmpty()) line += QStringLiteral(" (%1)").arg(record.detail);
    m_settings.report(line);
  }
  m_steps.push_back(record);
  return record.ok;
}

bool MainJob::Start() {
  return Step(0, "start", [&] {
    auto* tabs = m_window.ControlAs<QTabWidget>("选择夹1");
    if (!tabs || !m_browser || !m_list) return Fail(QStringLiteral("the window lacks its tabs, browser or album list"));
    if (!WaitFor([&] { return m_window.isVisible() && tabs->currentIndex() == 0; },
                 QStringLiteral("the window to show the sign-in tab")))
      return false;
    const QUrl root(app::ToQt(m_window.Config().AlbumSiteRoot));
    return WaitFor([&] { return m_browser->url() == root; }, QStringLiteral("the browser to open %1").arg(root.toString())) &&
           WaitForPage(QStringLiteral("document.readyState === 'complete' && document.getElementById('login')"),
                       QStringLiteral("the sign-in form"));
  });
}

bool MainJob::SignIn() {
  return Step(1, "signed-in", [&] {
    if (!SwitchToTab(0)) return false;
    const int loads = m_loads;
    const QVariant submitted = RunScript(QStringLiteral("(function () {"
                                                        " var user = document.getElementById('username');"
                                                        " var password = document.getElementById('password');"
                                                        " var login = document.getElementById('login');"
                                                        " if (!user || !password || !login) return false;"
                                                        " user.value = %1; password.value = %2; login.click();"
                                                        " return true; })()")
                                             .arg(JsString(m_settings.user), JsString(m_settings.password)));
    if (!submitted.toBool()) return Fail(QStringLiteral("the sign-in form is not on the page"));
    if (!WaitFor([&] { return m_loads > loads; }, QStringLiteral("the page after signing in")) ||
        !WaitForPage(QStringLiteral("document.getElementById('signed-in')"), QStringLiteral("the signed-in page")))
      return false;
    const std::string cookie = m_window.Ui().超文本浏览框1.DocumentCookie();
    if (cookie.find(std::string(album_service::InfoCookieName) + "=") == std::string::npos)
      return Fail(QStringLiteral("the page's cookie holds no sign-in: \"%1\"").arg(app::ToQt(cookie)));
    return true;
  });
}

bool MainJob::ListAlbums() {
  return Step(2, "albums-listed", [&] {
    const QString home = app::ToQt(m_window.Config().AlbumSiteRoot) + m_settings.account + u'/';
    if (!SwitchToTab(1) || !TypeInto("编辑框_号码", home)) return false;
    auto* covers = m_window.ControlAs<QCheckBox>("选择框_有封面");
    if (covers && !covers->isChecked() && !ClickCheckBox("选择框_有封面")) return false;
    if (!Click("按钮_获取相册封面")) return false;
    const auto* status = m_window.ControlAs<QLabel>("标签_动态");
    const QString done = QStringLiteral("相册获取完毕，共计：%1个,").arg(m_settings.expectedAlbums);
    return WaitFor([&] { return m_list->rowCount() == m_settings.expectedAlbums && status && status->text() == done; },
                   QStringLiteral("\"%1\" and %2 rows").arg(done).arg(m_settings.expectedAlbums));
  });
}

bool MainJob::OpenLockedAlbum() {
  return Step(3, "album-page", [&] {
    m_resolvedRow = -1;
    m_passwordEntered = false;
    for (int row = 0; row < m_list->rowCount() && m_resolvedRow < 0; ++row)
      if (CellText(row, AccessColumn) == NeedsAccess) m_resolvedRow = row;
    if (m_resolvedRow < 0) return Fail(QStringLiteral("no row reads \"%1\"").arg(NeedsAccess));
    m_resolvedAlbumId = CellText(m_resolvedRow, AlbumIdColumn);

    // The user scrolls the row into view, then double-clicks its name.
    m_list->scrollToItem(m_list->item(m_resolvedRow, NameColumn));
    const QRect cell = m_list->visualRect(m_list->model()->index(m_resolvedRow, NameColumn));
    QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {}, cell.center());

    auto* tabs = m_window.ControlAs<QTabWidget>("选择夹1");
    const auto* rowBox = m_window.ControlAs<QLineEdit>("编辑框_权限_行号");
    if (!WaitFor([&] { return tabs->currentIndex() == 0 && rowBox && rowBox->text() == QString::number(m_resolvedRow); },
                 QStringLiteral("the sign-in tab with the album's request")))
      return false;
    const QString aid = QStringLiteral("aid=") + m_resolvedAlbumId;
    // The album page either asks for the album's password or, to its owner,
    // says that access is granted.
    return WaitFor([&] { return m_browser->url().toString().contains(aid); },
                   QStringLiteral("the browser to open the album page")) &&
           WaitForPage(QStringLiteral("document.getElementById('album-aid') &&"
                                      " document.getElementById('album-aid').value === %1 ||"
                                      " document.getElementById('album-view') &&"
                                      " document.getElementById('album-view').style.display !== 'none' &&"
                                      " document.getElementById('album-state').textContent !== ''")
                           .arg(JsString(m_resolvedAlbumId)),
                       QStringLiteral("the album's page"));
  });
}

bool MainJob::AlbumPageAsksForPassword() {
  return RunScript(QStringLiteral("!!(document.getElementById('album-form') &&"
                                  " document.getElementById('album-form').style.display !== 'none' &&"
                                  " document.getElementById('album-password'))"))
      .toBool();
}

bool MainJob::EnterAlbumPassword() {
  return Step(4, "album-opened", [&] {
    if (!AlbumPageAsksForPassword()) {
      // The signed-in owner is let in without a password.
      m_note = QStringLiteral("the album's owner is let in without its password");
      m_nothingToShow = true;
      if (RunScript(QStringLiteral("document.getElementById('album-state') ?"
                                   " document.getElementById('album-state').textContent : ''"))
              .toString() != AccessGrantedOnPage)
        return Fail(QStringLiteral("the album page neither asks for a password nor grants access"));
      return true;
    }
    const int loads = m_loads;
    const QVariant submitted = RunScript(QStringLiteral("(function () {"
                                                        " var password = document.getElementById('album-password');"
                                                        " var enter = document.getElementById('album-enter');"
                                                        " if (!password || !enter) return false;"
                                                        " password.value = %1; enter.click(); return true; })()")
                                             .arg(JsString(m_settings.albumPassword)));
    if (!submitted.toBool()) return Fail(QStringLiteral("the album page has no password form"));
    if (!WaitFor([&] { return m_loads > loads; }, QStringLiteral("the page after the album password")) ||
        !WaitForPage(QStringLiteral("document.getElementById('access-granted')"),
                     QStringLiteral("the page to grant access")))
      return false;
    m_passwordEntered = true;
    // A user takes longer than the cookie's trip from the browser to the
    // store the program's requests use; the walkthrough waits for it.
    const std::string cookieName = std::string(album_service::AccessCookiePrefix) + m_resolvedAlbumId.toStdString();
    return WaitFor(
        [&] {
          const auto cookies = platform::CookieStore::Instance().All();
          return std::any_of(cookies.begin(), cookies.end(),
                             [&](const platform::StoredCookie& c) { return c.name == cookieName; });
        },
        QStringLiteral("the album's access cookie"));
  });
}

bool MainJob::ConfirmAccess() {
  return Step(5, "access-confirmed", [&] {
    if (!Click("按钮4")) return false;
    auto* tabs = m_window.ControlAs<QTabWidget>("选择夹1");
    return WaitFor(
        [&] {
          return tabs->currentIndex() == 1 && CellText(m_resolvedRow, AccessColumn) == AccessGranted &&
                 !CellText(m_resolvedRow, AddressColumn).isEmpty();
        },
        QStringLiteral("row %1 to read \"%2\" on the album tab").arg(m_resolvedRow + 1).arg(AccessGranted));
  });
}

bool MainJob::TickResolvedRow() {
  return Step(6, "row-ticked", [&] {
    if (m_list->Checked(m_resolvedRow) != 0)
      return Fail(QStringLiteral("row %1 was ticked before the user ticked it").arg(m_resolvedRow + 1));
    m_list->scrollToItem(m_list->item(m_resolvedRow, catalogue::ColumnCheck));
    QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {}, m_list->CheckBoxRect(m_resolvedRow).center());
    return WaitFor([&] { return m_list->Checked(m_resolvedRow) == 1 && m_list->FirstSelectedRow() == m_resolvedRow; },
                   QStringLiteral("row %1 ticked and selected").arg(m_resolvedRow + 1));
  });
}

bool MainJob::ChooseSaveLocation() {
  return Step(7, "save-location", [&] {
    if (m_settings.saveFolder.isEmpty()) return Fail(QStringLiteral("no save folder was given"));
    return TypeInto("编辑框_保存位置", QDir::toNativeSeparators(m_settings.saveFolder));
  });
}

bool MainJob::StartDownload() {
  return Step(8, "downloading", [&] {
    if (!Click("按钮_下载选中")) return false;
    QWidget* pause = Find("按钮_暂停线程");
    if (!WaitFor([&] { return IsShown(pause); }, QStringLiteral("the pause button"))) return false;
    if (!WaitFor([&] { return FilesSaved() >= m_settings.photosBeforePause || VisibleMessageBox(AllDone); },
                 QStringLiteral("%1 photos on disk").arg(m_settings.photosBeforePause)))
      return false;
    if (VisibleMessageBox(AllDone)) return Fail(QStringLiteral("the download ended before it could be paused"));
    return true;
  });
}

bool MainJob::Pause() {
  return Step(9, "paused", [&] {
    if (!Click("按钮_暂停线程")) return false;
    QWidget* download = Find("按钮_下载选中");
    QWidget* pause = Find("按钮_暂停线程");
    QWidget* resume = Find("按钮_继续下载");
    if (!WaitFor([&] { return IsShown(resume) && !IsShown(pause) && !IsShown(download); },
                 QStringLiteral("the continue button alone")))
      return false;

    const auto* counter = m_window.ControlAs<QLabel>("标签_第多少张照片");
    const auto* bar = m_window.ControlAs<QProgressBar>("进度条1");
    struct Progress {
      QString counter;
      int files = 0;
      int position = 0;
      bool operator==(const Progress&) const = default;
    };
    const auto now = [&] { return Progress{counter ? counter->text() : QString(), FilesSaved(), bar ? bar->value() : 0}; };
    const auto ended = [&] { return VisibleMessageBox(AllDone) != nullptr || IsShown(download); };

    // The photo in flight stops at its next pause point; from then on
    // nothing may move.
    Progress settled = now();
    auto stableSince = Clock::now();
    if (!WaitFor(
            [&] {
              if (ended()) return true;
              const Progress current = now();
              if (!(current == settled)) {
                settled = current;
                stableSince = Clock::now();
              }
              return Clock::now() - stableSince >= PauseSettle;
            },
            QStringLiteral("the paused download to settle")))
      return false;
    if (ended()) return Fail(QStringLiteral("the download ran to its end while paused"));
    Linger(m_settings.pauseHold);
    const Progress after = now();
    if (ended() || !(after == settled))
      return Fail(QStringLiteral("the download went on while paused: \"%1\", %2 files, then \"%3\", %4 files")
                      .arg(settled.counter)
                      .arg(settled.files)
                      .arg(after.counter)
                      .arg(after.files));
    m_filesWhenPaused = settled.files;
    return true;
  });
}

bool MainJob::Continue() {
  return Step(10, "continued", [&] {
    if (!Click("按钮_继续下载")) return false;
    QWidget* pause = Find("按钮_暂停线程");
    QWidget* download = Find("按钮_下载选中");
    if (!WaitFor([&] { return IsShown(pause) || IsShown(download); }, QStringLiteral("the pause button again")))
      return false;
    return WaitFor([&] { return FilesSaved() > m_filesWhenPaused || VisibleMessageBox(AllDone); },
                   QStringLiteral("more photos after continuing"));
  });
}

bool MainJob::WaitForCompletion() {
  return Step(11, "download-complete", [&] {
    if (!WaitFor([&] { return VisibleMessageBox(AllDone) != nullptr; }, QStringLiteral("the message \"%1\"").arg(AllDone)))
      return false;
    QWidget* download = Find("按钮_下载选中");
    QWidget* pause = Find("按钮_暂停线程");
    QWidget* resume = Find("按钮_继续下载");
    if (!IsShown(download) || IsShown(pause) || IsShown(resume))
      return Fail(QStringLiteral("the download button is not back alone"));
    const auto* counter = m_window.ControlAs<QLabel>("标签_第多少张照片");
    if (!counter || counter->text() != DownloadFinished)
      return Fail(QStringLiteral("the photo counter reads \"%1\"").arg(counter ? counter->text() : QString()));
    return true;
  });
}

bool MainJob::AcknowledgeCompletion() {
  return Step(12, "message-closed", [&] {
    QMessageBox* box = VisibleMessageBox(AllDone);
    QAbstractButton* ok = box ? box->button(QMessageBox::Ok) : nullptr;
    if (!ok) return Fail(QStringLiteral("the message \"%1\" has no OK button").arg(AllDone));
    QTest::mouseClick(ok, Qt::LeftButton, {}, ok->rect().center());
    if (!WaitFor([&] { return VisibleMessageBox(AllDone) == nullptr; }, QStringLiteral("the message to close")))
      return false;
    if (!m_settings.outputFolder.isEmpty()) {
      QFile log(QDir(m_settings.outputFolder).filePath(QStringLiteral("operation-log.txt")));
      if (!log.open(QIODevice::WriteOnly | QIODevice::Truncate) || log.write(OperationLog().toUtf8() + '\n') < 0)
        return Fail(QStringLiteral("cannot write %1").arg(log.fileName()));
    }
    return true;
  });
}

bool MainJob::Close() {
  return Step(
      13, "closed",
      [&] {
        m_window.close();
        return WaitFor([&] { return m_closed && !m_window.isVisible(); }, QStringLiteral("the window to close"));
      },
      false);
}

bool MainJob::RunAll() {
  return Start() && SignIn() && ListAlbums() && OpenLockedAlbum() && EnterAlbumPassword() && ConfirmAccess() &&
         TickResolvedRow() && ChooseSaveLocation() && StartDownload() && Pause() && Continue() && WaitForCompletion() &&
         AcknowledgeCompletion() && Close();
}

} // namespace walkthrough

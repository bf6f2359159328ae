#include "app/main_window.h"

#include "app/album_list_view.h"
#include "app/drawing_surface.h"
#include "app/pictures.h"
#include "app/qt_text.h"
#include "app/save_location.h"
#include "app/sign_in.h"
#include "app/skin.h"
#include "app/start_up.h"
#include "app/tab_control.h"
#include "app/version_check.h"
#include "platform/cookie_store.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabBar>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

namespace app {
namespace {

using model::ControlKind;

QString CssColour(std::uint32_t rgb) { return QColor::fromRgb(rgb & 0xFFFFFFu).name(); }

// The style sheet class a control answers to; its own sheet wins over the
// skin's rules for the colours and borders the layout gives it.
QString CssClass(ControlKind kind) {
  switch (kind) {
  case ControlKind::GroupBox: return QStringLiteral("QGroupBox");
  case ControlKind::Label: return QStringLiteral("QLabel");
  case ControlKind::EditBox: return QStringLiteral("QLineEdit");
  case ControlKind::MultiLineEdit: return QStringLiteral("QPlainTextEdit");
  case ControlKind::Button: return QStringLiteral("QPushButton");
  case ControlKind::CheckBox: return QStringLiteral("QCheckBox");
  case ControlKind::ComboBox: return QStringLiteral("QComboBox");
  case ControlKind::ProgressBar: return QStringLiteral("QProgressBar");
  case ControlKind::ListView: return QStringLiteral("QTableView");
  default: return {};
  }
}

void ApplyLook(QWidget* control, const model::ControlLayout& layout) {
  if (layout.fontPixels > 0 || layout.bold || layout.underline) {
    QFont font = control->font();
    if (layout.fontPixels > 0) font.setPixelSize(layout.fontPixels);
    font.setBold(layout.bold);
    font.setUnderline(layout.underline);
    // The tab control's font is its captions' alone, not its pages'.
    if (auto* tabs = qobject_cast<QTabWidget*>(control)) {
      tabs->tabBar()->setFont(font);
    } else {
      control->setFont(font);
    }
  }
  const QString cssClass = CssClass(layout.kind);
  if (cssClass.isEmpty()) return;
  QString rules;
  if (layout.textColour != model::NoColour && layout.kind != ControlKind::ListView)
    rules += QStringLiteral("color: %1; ").arg(CssColour(layout.textColour));
  if (layout.backgroundColour != model::NoColour)
    rules += QStringLiteral("background-color: %1; ").arg(CssColour(layout.backgroundColour));
  if (layout.border) rules += QStringLiteral("border: 1px solid #8597aa; ");
  if (!rules.isEmpty()) control->setStyleSheet(QStringLiteral("%1 { %2}").arg(cssClass, rules));
}

constexpr QRgb ListTextBackground = 0xFFE1E3E6u;  // RGB(225, 227, 230)
constexpr int AnimationIntervalMs = 180;
constexpr int FrameSettleMs = 300;

} // namespace

MainWindow::MainWindow(catalogue::Configuration config, Handlers handlers, Options options)
    : m_config(std::move(config)),
      m_handlers(std::move(handlers)),
      m_shell(std::move(options.shell)),
      m_applySkin(std::move(options.applySkin)),
      m_backend(std::make_unique<QtBackend>()),
      m_controls(*m_backend),
      m_window{m_controls, m_state, m_workers} {
  if (m_shell.programDirectory.isEmpty()) m_shell.programDirectory = ExecutableDirectory();
  if (!m_shell.pickFolder) m_shell.pickFolder = SystemFolderPicker();
  if (!m_shell.openUrl) m_shell.openUrl = SystemUrlOpener();
  if (!m_applySkin) m_applySkin = [directory = m_shell.programDirectory](int n) { ApplySkin(n, directory); };

  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(FromSource(model::WindowTitle));
  setWindowIcon(WindowIcon());
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  // Where the platform reports no frame, the client area is the whole window;
  // FitOuterSize takes the frame off once it is known.
  setFixedSize(model::WindowWidth, model::WindowHeight);

  // Cookies live in memory only: the program stores nothing.
  m_profile = new QWebEngineProfile(this);
  m_profile->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  m_profile->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);

  BuildControls();
  m_cookieBridge = new CookieBridge(m_profile->cookieStore(), platform::CookieStore::Instance(), this);
  ConnectEvents();
  Centre();
}

MainWindow::~MainWindow() {
  Shutdown();
  // Pages go before their profile.
  delete m_browser;
  m_browser = nullptr;
  delete m_cookieBridge;
  m_cookieBridge = nullptr;
  delete m_profile;
  m_profile = nullptr;
}

void MainWindow::BuildControls() {
  for (const model::ControlLayout& layout : model::MainWindowLayout()) {
    QWidget* parent = this;
    if (!layout.parent.empty()) {
      if (QWidget* named = Control(layout.parent)) parent = named;
    } else if (m_tabs && layout.page >= 0 && layout.page < m_tabs->PageCount()) {
      parent = m_tabs->Page(layout.page);
    }
    QWidget* control = CreateControl(layout, parent);
    control->setObjectName(FromSource(layout.name));
    control->setGeometry(layout.left, layout.top, layout.width, layout.height);
    ApplyLook(control, layout);
    if (layout.hidden) control->setHidden(true);
    m_backend->Register(layout.name, control);

    if (control == m_tabs) {
      for (std::string_view caption : model::TabCaptions()) m_tabs->AddPage(FromSource(caption));
      m_tabs->setCurrentIndex(0);
    }
  }
}

QWidget* MainWindow::CreateControl(const model::ControlLayout& layout, QWidget* parent) {
  const QString text = FromSource(layout.text);
  switch (layout.kind) {
  case ControlKind::TabControl: {
    m_tabs = new TabControl(parent);
    return m_tabs;
  }
  case ControlKind::GroupBox: return new QGroupBox(text, parent);
  case ControlKind::Label: {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    if (layout.name == "标签7") {
      label->setText(ToQt(m_config.MakerPageUrl));
      label->setCursor(Qt::PointingHandCursor);
      label->installEventFilter(this);
      m_makerLink = label;
    }
    return label;
  }
  case ControlKind::EditBox: {
    auto* edit = new QLineEdit(text, parent);
    if (layout.name == "编辑框_url") edit->setText(ToQt(m_config.AlbumSiteRoot));
    return edit;
  }
  case ControlKind::MultiLineEdit: {
    auto* box = new QPlainTextEdit(text, parent);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    return box;
  }
  case ControlKind::Button: {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    if (layout.name == "按钮2") {
      m_animationFrames = SupportAnimationFrames();
      button->setIconSize(QSize(57, 16));
      button->setIcon(m_animationFrames.value(0));
      m_animation = new QTimer(this);
      m_animation->setInterval(AnimationIntervalMs);
      connect(m_animation, &QTimer::timeout, button, [this, button] {
        m_animationFrame = (m_animationFrame + 1) % static_cast<int>(m_animationFrames.size());
        button->setIcon(m_animationFrames.at(m_animationFrame));
      });
      m_animation->start();
    }
    return button;
  }
  case ControlKind::CheckBox: return new QCheckBox(text, parent);
  case ControlKind::ComboBox: {
    auto* combo = new QComboBox(parent);
    combo->setEditable(false);
    combo->addItem(text);
    combo->setCurrentIndex(0);
    return combo;
  }
  case ControlKind::ProgressBar: {
    auto* bar = new QProgressBar(parent);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
  }
  case ControlKind::ListView: {
    auto* list = new AlbumListView(parent);
    list->SetColours(QColor::fromRgb(layout.textColour & 0xFFFFFFu), QColor::fromRgba(ListTextBackground));
    return list;
  }
  case ControlKind::Browser: {
    m_browser = new QWebEngineView(parent);
    m_browser->setPage(new QWebEnginePage(m_profile, m_browser));
    return m_browser;
  }
  case ControlKind::Canvas: return new DrawingSurface(parent);
  case ControlKind::Page: break;
  }
  return new QWidget(parent);
}

void MainWindow::Run(const Handlers::Handler& handler) {
  if (handler) handler(m_window);
}

void MainWindow::ConnectEvents() {
  const auto onClick = [this](std::string_view name, auto handler) {
    if (auto* button = ControlAs<QAbstractButton>(name)) connect(button, &QAbstractButton::clicked, this, handler);
  };
  onClick("按钮1", [this] { OpenAddress(m_window); });
  onClick("按钮4", [this] { Run(m_handlers.ConfirmAlbumAccess); });
  onClick("按钮_获取相册封面", [this] { Run(m_handlers.StartAlbumFetch); });
  onClick("选择框_全选", [this] { Run(m_handlers.SelectAllRows); });
  onClick("选择框_反选", [this] { Run(m_handlers.InvertRows); });
  onClick("按钮_下载选中", [this] { Run(m_handlers.StartDownload); });
  onClick("按钮_暂停线程", [this] { Run(m_handlers.PauseDownload); });
  onClick("按钮_继续下载", [this] { Run(m_handlers.ContinueDownload); });
  onClick("按钮_选择位置", [this] { ChooseSaveLocation(m_window, m_shell); });
  onClick("按钮3", [this] { OpenSaveLocation(m_window, m_shell); });
  onClick("按钮_checknew", [this] { CheckForUpdate(m_window, m_config); });
  onClick("按钮2", [this] { OpenSupportChat(m_shell, m_config); });

  if (auto* list = ControlAs<AlbumListView>("超级列表框1")) {
    connect(list, &AlbumListView::listDoubleClicked, this, [this] { Run(m_handlers.RequestAlbumAccess); });
    connect(list, &AlbumListView::rowCheckToggled, this, [this](int row, int state) {
      if (m_handlers.SelectToggledRow) m_handlers.SelectToggledRow(m_window, row, state);
    });
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // The link opens on the press of the left button, not on its release.
  if (watched == m_makerLink && event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    OpenMakerPage(m_shell, m_config);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void MainWindow::Start() {
  InitialiseMainWindow(m_window, m_config, m_applySkin, m_shell.ProgramDirectoryText());
  show();
}

void MainWindow::Shutdown() {
  if (m_shutDown) return;
  m_shutDown = true;
  if (m_animation) m_animation->stop();
  m_backend->BeginShutdown();
  if (m_cookieBridge) m_cookieBridge->Detach();
  m_workers.StopAndJoin();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  Shutdown();
  QWidget::closeEvent(event);
  Q_EMIT closed();
}

void MainWindow::Centre() {
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect available = screen->availableGeometry();
  move(available.center() - QPoint(model::WindowWidth / 2, model::WindowHeight / 2));
}

// The outer size includes the frame; the frame is known only once the
// window is on the screen.
void MainWindow::FitOuterSize() {
  if (!isVisible()) return;
  const QSize margins = frameGeometry().size() - size();
  const QSize wanted(model::WindowWidth - margins.width(), model::WindowHeight - margins.height());
  if (wanted == size() || wanted.width() <= 0 || wanted.height() <= 0) return;
  setFixedSize(wanted);
  if (!m_frameFitted) {
    m_frameFitted = true;
    Centre();
  }
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FitOuterSize();
  // A window manager reports its frame a little after the window is mapped.
  QTimer::singleShot(FrameSettleMs, this, &MainWindow::FitOuterSize);
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  FitOuterSize();
}

} // namespace app

#include "app/qt_backend.h"

#include "app/album_list_view.h"
#include "app/drawing_surface.h"
#include "app/model/layout.h"
#include "app/qt_text.h"

#include <QAbstractButton>
#include <QBitmap>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <type_traits>
#include <utility>

namespace app {

using platform::Text;

namespace {

constexpr int ProgressLimit = 32767;

// The program's texts end lines in CR LF; the multi-line box holds bare line
// feeds, so a text reads back as it was written.
QString ToBoxLines(QString text) { return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }
QString FromBoxLines(QString text) { return text.replace(QLatin1Char('\n'), QStringLiteral("\r\n")); }

bool ValidColumn(int column) { return column >= 0 && column < model::ListColumnCount; }

} // namespace

struct QtBackend::Sync {
  mutable std::mutex mutex;
  std::condition_variable changed;
  bool shuttingDown = false;
  int waiting = 0;

  bool IsShuttingDown() const {
    std::lock_guard lock(mutex);
    return shuttingDown;
  }
};

QMessageBox* NewMessageBox(const QString& text) {
  auto* box = new QMessageBox;
  box->setWindowTitle(QStringLiteral("信息："));
  box->setIcon(QMessageBox::NoIcon);
  box->setTextFormat(Qt::PlainText);
  box->setText(text);
  box->setStandardButtons(QMessageBox::Ok);
  return box;
}

QtBackend::QtBackend(QObject* parent) : QObject(parent), m_sync(std::make_shared<Sync>()) {}

QtBackend::~QtBackend() { BeginShutdown(); }

void QtBackend::Register(std::string_view name, QWidget* widget) { m_widgets[std::string(name)] = widget; }

QWidget* QtBackend::Widget(std::string_view name) const {
  const auto found = m_widgets.find(name);
  return found == m_widgets.end() ? nullptr : found->second.data();
}

template <class Kind>
Kind* QtBackend::As(const std::string& name) const {
  return qobject_cast<Kind*>(Widget(name));
}

bool QtBackend::OnGuiThread() const { return QThread::currentThread() == thread(); }

void QtBackend::BeginShutdown() {
  {
    std::lock_guard lock(m_sync->mutex);
    m_sync->shuttingDown = true;
  }
  m_sync->changed.notify_all();
  if (!OnGuiThread()) return;
  for (const QPointer<QMessageBox>& box : std::as_const(m_workerBoxes)) {
    if (box) box->close();
  }
  m_workerBoxes.clear();
}

bool QtBackend::ShuttingDown() const { return m_sync->IsShuttingDown(); }

int QtBackend::WaitingCalls() const {
  std::lock_guard lock(m_sync->mutex);
  return m_sync->waiting;
}

// Runs work on the GUI thread and hands its result back. A worker's call
// waits until the GUI thread has run it, or until shutdown releases it with
// an empty result; the work is then skipped.
template <class Work>
auto QtBackend::Run(Work work) {
  using Result = std::invoke_result_t<Work&>;
  if (OnGuiThread()) return work();

  using Stored = std::conditional_t<std::is_void_v<Result>, bool, Result>;
  struct Call {
    bool done = false;
    Stored result{};
  };
  auto call = std::make_shared<Call>();
  std::shared_ptr<Sync> sync = m_sync;
  {
    std::lock_guard lock(sync->mutex);
    if (sync->shuttingDown) return Result();
    ++sync->waiting;
  }
  QMetaObject::invokeMethod(
      this,
      [sync, call, work = std::move(work)]() mutable {
        if (sync->IsShuttingDown()) return;
        if constexpr (std::is_void_v<Result>) {
          work();
          std::lock_guard lock(sync->mutex);
          call->done = true;
        } else {
          Stored result = work();
          std::lock_guard lock(sync->mutex);
          call->result = std::move(result);
          call->done = true;
        }
        sync->changed.notify_all();
      },
      Qt::QueuedConnection);

  std::unique_lock lock(sync->mutex);
  sync->changed.wait(lock, [&] { return call->done || sync->shuttingDown; });
  --sync->waiting;
  if constexpr (std::is_void_v<Result>) {
    return;
  } else {
    return call->done ? std::move(call->result) : Result();
  }
}

Text QtBackend::GetText(model::ControlName control) {
  return Run([this, name = std::string(control)]() -> Text {
    QWidget* widget = Widget(name);
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      text = edit->text();
    } else if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
      text = FromBoxLines(box->toPlainText());
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      text = label->text();
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      text = button->text();
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      text = group->title();
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      text = combo->currentText();
    } else if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
      text = tabs->tabText(tabs->currentIndex());
    }
    return ToGbk(text);
  });
}

void QtBackend::SetText(model::ControlName control, const Text& value) {
  Run([this, name = std::string(control), text = ToQt(value)] {
    QWidget* widget = Widget(name);
    if (!widget) return;
    const QSignalBlocker quiet(widget);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      edit->setText(text);
    } else if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
      box->setPlainText(ToBoxLines(text));
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      button->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
      group->setTitle(text);
    }
  });
}

void QtBackend::AppendText(model::ControlName control, const Text& value) {
  Run([this, name = std::string(control), text = ToQt(value)] {
    QWidget* widget = Widget(name);
    if (!widget) return;
    const QSignalBlocker quiet(widget);
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
      QTextCursor cursor = box->textCursor();
      cursor.movePosition(QTextCursor::End);
      box->setTextCursor(cursor);
      box->insertPlainText(ToBoxLines(text));
      box->ensureCursorVisible();
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      edit->end(false);
      edit->insert(text);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      label->setText(label->text() + text);
    }
  });
}

bool QtBackend::IsVisible(model::ControlName control) {
  return Run([this, name = std::string(control)] {
    const QWidget* widget = Widget(name);
    return widget && !widget->isHidden();
  });
}

void QtBackend::SetVisible(model::ControlName control, bool visible) {
  Run([this, name = std::string(control), visible] {
    if (QWidget* widget = Widget(name)) widget->setVisible(visible);
  });
}

bool QtBackend::IsEnabled(model::ControlName control) {
  return Run([this, name = std::string(control)] {
    const QWidget* widget = Widget(name);
    return widget && !widget->testAttribute(Qt::WA_ForceDisabled);
  });
}

void QtBackend::SetEnabled(model::ControlName control, bool enabled) {
  Run([this, name = std::string(control), enabled] {
    if (QWidget* widget = Widget(name)) widget->setEnabled(enabled);
  });
}

void QtBackend::SetFocus(model::ControlName control) {
  Run([this, name = std::string(control)] {
    if (QWidget* widget = Widget(name)) widget->setFocus(Qt::OtherFocusReason);
  });
}

int QtBackend::GetTicked(model::ControlName control) {
  return Run([this, name = std::string(control)] {
    const auto* box = As<QAbstractButton>(name);
    return box && box->isCheckable() && box->isChecked() ? 1 : 0;
  });
}

void QtBackend::SetTicked(model::ControlName control, int ticked) {
  Run([this, name = std::string(control), ticked] {
    auto* box = As<QAbstractButton>(name);
    if (!box || !box->isCheckable()) return;
    const QSignalBlocker quiet(box);
    box->setChecked(ticked != 0);
  });
}

int QtBackend::GetSelection(model::ControlName control) {
  return Run([this, name = std::string(control)] {
    if (const auto* combo = As<QComboBox>(name)) return combo->currentIndex();
    if (const auto* tabs = As<QTabWidget>(name)) return tabs->currentIndex();
    return 0;
  });
}

void QtBackend::SetSelection(model::ControlName control, int index) {
  Run([this, name = std::string(control), index] {
    if (auto* combo = As<QComboBox>(name)) {
      const QSignalBlocker quiet(combo);
      combo->setCurrentIndex(index);
    } else if (auto* tabs = As<QTabWidget>(name)) {
      // Not blocked: the tab control shows and hides its pages on this signal,
      // and no handler listens to it.
      if (index >= 0 && index < tabs->count()) tabs->setCurrentIndex(index);
    }
  });
}

int QtBackend::GetMinimum(model::ControlName control) {
  return Run([this, name = std::string(control)] {
    const auto* bar = As<QProgressBar>(name);
    return bar ? bar->minimum() : 0;
  });
}

// A range change keeps the position inside the new range, as the platform's
// progress bar does, instead of resetting it.
void QtBackend::SetMinimum(model::ControlName control, int value) {
  Run([this, name = std::string(control), value = std::clamp(value, 0, ProgressLimit)] {
    auto* bar = As<QProgressBar>(name);
    if (!bar) return;
    const int position = bar->value();
    bar->setMinimum(value);
    bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
  });
}

int QtBackend::GetMaximum(model::ControlName control) {
  return Run([this, name = std::string(control)] {
    const auto* bar = As<QProgressBar>(name);
    return bar ? bar->maximum() : 0;
  });
}

void QtBackend::SetMaximum(model::ControlName control, int value) {
  Run([this, name = std::string(control), value = std::clamp(value, 0, ProgressLimit)] {
    auto* bar = As<QProgressBar>(name);
    if (!bar) return;
    const int position = bar->value();
    bar->setMaximum(value);
    bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
  });
}

int QtBackend::GetPosition(model::ControlName control) {
  return Run([this, name = std::string(control)] {
    const auto* bar = As<QProgressBar>(name);
    return bar ? std::max(bar->value(), bar->minimum()) : 0;
  });
}

void QtBackend::SetPosition(model::ControlName control, int value) {
  Run([this, name = std::string(control), value = std::clamp(value, 0, ProgressLimit)] {
    if (auto* bar = As<QProgressBar>(name)) bar->setValue(std::clamp(value, bar->minimum(), bar->maximum()));
  });
}

int QtBackend::RowCount(model::ControlName list) {
  return Run([this, name = std::string(list)] {
    const auto* view = As<AlbumListView>(name);
    return view ? view->rowCount() : 0;
  });
}

int QtBackend::InsertRow(model::ControlName list) {
  return Run([this, name = std::string(list)] {
    auto* view = As<AlbumListView>(name);
    if (!view) return -1;
    const QSignalBlocker quiet(view);
    return view->AppendRow();
  });
}

void QtBackend::DeleteAllRows(model::ControlName list) {
  Run([this, name = std::string(list)] {
    auto* view = As<AlbumListView>(name);
    if (!view) return;
    const QSignalBlocker quiet(view);
    view->clearSelection();
    view->setRowCount(0);
  });
}

Text QtBackend::GetCell(model::ControlName list, int row, int column) {
  return Run([this, name = std::string(list), row, column]() -> Text {
    const auto* view = As<AlbumListView>(name);
    const QTableWidgetItem* cell = view && ValidColumn(column) ? view->item(row, column) : nullptr;
    return cell ? ToGbk(cell->text()) : Text();
  });
}

void QtBackend::SetCell(model::ControlName list, int row, int column, const Text& value) {
  Run([this, name = std::string(list), row, column, text = ToQt(value)] {
    auto* view = As<AlbumListView>(name);
    QTableWidgetItem* cell = view && ValidColumn(column) ? view->item(row, column) : nullptr;
    if (!cell) return;
    const QSignalBlocker quiet(view);
    cell->setText(text);
  });
}

int QtBackend::GetRowChecked(model::ControlName list, int row) {
  return Run([this, name = std::string(list), row] {
    const auto* view = As<AlbumListView>(name);
    return view ? view->Checked(row) : 0;
  });
}

void QtBackend::SetRowChecked(model::ControlName list, int row, int checked) {
  Run([this, name = std::string(list), row, checked] {
    auto* view = As<AlbumListView>(name);
    if (!view) return;
    const QSignalBlocker quiet(view);
    view->SetChecked(row, checked);
  });
}

int QtBackend::GetCellImage(model::ControlName list, int row, int column) {
  return Run([this, name = std::string(list), row, column] {
    const auto* view = As<AlbumListView>(name);
    return view && ValidColumn(column) ? view->CellImage(row, column) : -1;
  });
}

void QtBackend::SetCellImage(model::ControlName list, int row, int column, int imageIndex) {
  Run([this, name = std::string(list), row, column, imageIndex] {
    auto* view = As<AlbumListView>(name);
    if (!view || !ValidColumn(column)) return;
    const QSignalBlocker quiet(view);
    view->SetCellImage(row, column, imageIndex);
  });
}

int QtBackend::CurrentRow(model::ControlName list) {
  return Run([this, name = std::string(list)] {
    const auto* view = As<AlbumListView>(name);
    return view ? view->FirstSelectedRow() : -1;
  });
}

void QtBackend::SelectRow(model::ControlName list, int row) {
  Run([this, name = std::string(list), row] {
    auto* view = As<AlbumListView>(name);
    if (!view) return;
    const QSignalBlocker quiet(view);
    view->MakeCurrent(row);
  });
}

int QtBackend::GetColumnWidth(model::ControlName list, int column) {
  return Run([this, name = std::string(list), column] {
    const auto* view = As<AlbumListView>(name);
    return view && ValidColumn(column) ? view->horizontalHeader()->sectionSize(column) : 0;
  });
}

void QtBackend::SetColumnWidth(model::ControlName list, int column, int width) {
  Run([this, name = std::string(list), column, width = std::max(width, 0)] {
    auto* view = As<AlbumListView>(name);
    if (view && ValidColumn(column)) view->horizontalHeader()->resizeSection(column, width);
  });
}

void QtBackend::SetSmallImageList(model::ControlName list, const model::ImageList& images) {
  // Pixels are copied here; the list keeps pictures of its own.
  QList<QImage> pictures;
  for (const model::Picture& picture : images.pictures) pictures.append(ToImage(picture));
  const QColor transparent = QColor::fromRgb(images.transparentColour & 0xFFFFFFu);
  Run([this, name = std::string(list), pictures = std::move(pictures), transparent] {
    auto* view = As<AlbumListView>(name);
    if (!view) return;
    QList<QPixmap> pixmaps;
    for (const QImage& image : pictures) {
      QPixmap pixmap = QPixmap::fromImage(image);
      if (!pixmap.isNull()) pixmap.setMask(pixmap.createMaskFromColor(transparent, Qt::MaskInColor));
      pixmaps.append(pixmap);
    }
    view->SetSmallImages(std::move(pixmaps));
  });
}

void QtBackend::Navigate(model::ControlName browser, const Text& address) {
  // The text goes to the browser as it is: no scheme added, nothing trimmed.
  const QUrl url = address.empty() ? QUrl(QStringLiteral("about:blank")) : QUrl(ToQt(address));
  Run([this, name = std::string(browser), address, url] {
    auto* view = As<QWebEngineView>(name);
    if (!view) return;
    m_addresses[name] = address;
    view->setUrl(url);
  });
}

Text QtBackend::GetAddress(model::ControlName browser) {
  return Run([this, name = std::string(browser)]() -> Text {
    const auto found = m_addresses.find(name);
    return found == m_addresses.end() ? Text() : found->second;
  });
}

Text QtBackend::GetDocumentCookie(model::ControlName browser) {
  return Run([this, name = std::string(browser)]() -> Text {
    auto* view = As<QWebEngineView>(name);
    if (!view || !view->page() || view->url().isEmpty()) return {};
    // The answer may come after the time limit, when this frame is gone.
    struct Answer {
      QString cookie;
      QPointer<QEventLoop> loop;
    };
    auto answer = std::make_shared<Answer>();
    QEventLoop loop;
    answer->loop = &loop;
    view->page()->runJavaScript(QStringLiteral("document.cookie"), [answer](const QVariant& result) {
      answer->cookie = result.toString();
      if (answer->loop) answer->loop->quit();
    });
    QTimer::singleShot(m_cookieTimeLimit, &loop, &QEventLoop::quit);
    loop.exec();
    return ToGbk(answer->cookie);
  });
}

bool QtBackend::DrawPicture(model::ControlName surface, const platform::ByteBuffer& encoded, int left, int top,
                            int right, int bottom) {
  // Decoding needs no widget, so it happens on the calling thread.
  QImage picture;
  if (encoded.empty() || !picture.loadFromData(encoded.data(), static_cast<int>(encoded.size())) || picture.isNull())
    return false;
  return Run([this, name = std::string(surface), picture, left, top, right, bottom] {
    auto* canvas = As<DrawingSurface>(name);
    if (!canvas) return false;
    canvas->Draw(picture, left, top, right, bottom);
    return true;
  });
}

model::Picture QtBackend::TakePicture(model::ControlName surface, int width, int height) {
  return Run([this, name = std::string(surface), width, height] {
    auto* canvas = As<DrawingSurface>(name);
    return canvas ? canvas->Take(width, height) : model::Picture();
  });
}

void QtBackend::ShowMessage(const Text& value) {
  const QString text = ToQt(value);
  if (!OnGuiThread()) {
    ShowMessageFromWorker(text);
    return;
  }
  std::unique_ptr<QMessageBox> box(NewMessageBox(text));
  box->setWindowModality(Qt::ApplicationModal);
  box->exec();
}

// The box is shown without modality on the GUI thread and the worker waits
// until it is closed; the window stays usable meanwhile.
void QtBackend::ShowMessageFromWorker(const QString& text) {
  auto closed = std::make_shared<bool>(false);
  std::shared_ptr<Sync> sync = m_sync;
  {
    std::lock_guard lock(sync->mutex);
    if (sync->shuttingDown) return;
    ++sync->waiting;
  }
  auto markClosed = [sync, closed] {
    {
      std::lock_guard lock(sync->mutex);
      *closed = true;
    }
    sync->changed.notify_all();
  };
  QMetaObject::invokeMethod(
      this,
      [this, sync, text, markClosed] {
        if (sync->IsShuttingDown()) return;
        QMessageBox* box = NewMessageBox(text);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setWindowModality(Qt::NonModal);
        connect(box, &QMessageBox::finished, this, markClosed);
        connect(box, &QObject::destroyed, this, markClosed);
        m_workerBoxes.removeAll(nullptr);
        m_workerBoxes.append(box);
        box->show();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(sync->mutex);
  sync->changed.wait(lock, [&] { return *closed || sync->shuttingDown; });
  --sync->waiting;
}

void QtBackend::PumpMessages() {
  if (OnGuiThread()) QCoreApplication::processEvents();
}

} // namespace app

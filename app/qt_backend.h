#pragma once

#include "app/model/control_backend.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <chrono>
#include <map>
#include <memory>
#include <string>

class QMessageBox;

namespace app {

// The window's controls bound to Qt widgets. Every operation runs on the GUI
// thread: called from a worker it is handed over there and the worker waits
// for it, so no widget is ever touched off the GUI thread. Once shutdown has
// begun, calls from workers return at once with empty values. Changes made
// here raise no handler: only the user's own clicks and keys do.
class QtBackend final : public QObject, public model::ControlBackend {
  Q_OBJECT

public:
  using Text = platform::Text;

  explicit QtBackend(QObject* parent = nullptr);
  ~QtBackend() override;

  // GUI thread, while the window is built.
  void Register(std::string_view name, QWidget* widget);
  QWidget* Widget(std::string_view name) const;

  // The window is closing: workers waiting for the GUI thread or for a
  // message box are released, and later calls from workers do nothing.
  void BeginShutdown();
  bool ShuttingDown() const;
  // Workers waiting for the GUI thread or a message box right now.
  int WaitingCalls() const;
  // The longest wait for the browser to report its document cookie.
  void SetCookieTimeLimit(std::chrono::milliseconds limit) { m_cookieTimeLimit = limit; }

  Text GetText(model::ControlName control) override;
  void SetText(model::ControlName control, const Text& text) override;
  void AppendText(model::ControlName control, const Text& text) override;
  bool IsVisible(model::ControlName control) override;
  void SetVisible(model::ControlName control, bool visible) override;
  bool IsEnabled(model::ControlName control) override;
  void SetEnabled(model::ControlName control, bool enabled) override;
  void SetFocus(model::ControlName control) override;
  int GetTicked(model::ControlName control) override;
  void SetTicked(model::ControlName control, int ticked) override;
  int GetSelection(model::ControlName control) override;
  void SetSelection(model::ControlName control, int index) override;
  int GetMinimum(model::ControlName control) override;
  void SetMinimum(model::ControlName control, int value) override;
  int GetMaximum(model::ControlName control) override;
  void SetMaximum(model::ControlName control, int value) override;
  int GetPosition(model::ControlName control) override;
  void SetPosition(model::ControlName control, int value) override;
  int RowCount(model::ControlName list) override;
  int InsertRow(model::ControlName list) override;
  void DeleteAllRows(model::ControlName list) override;
  Text GetCell(model::ControlName list, int row, int column) override;
  void SetCell(model::ControlName list, int row, int column, const Text& text) override;
  int GetRowChecked(model::ControlName list, int row) override;
  void SetRowChecked(model::ControlName list, int row, int checked) override;
  int GetCellImage(model::ControlName list, int row, int column) override;
  void SetCellImage(model::ControlName list, int row, int column, int imageIndex) override;
  int CurrentRow(model::ControlName list) override;
  void SelectRow(model::ControlName list, int row) override;
  int GetColumnWidth(model::ControlName list, int column) override;
  void SetColumnWidth(model::ControlName list, int column, int width) override;
  void SetSmallImageList(model::ControlName list, const model::ImageList& images) override;
  void Navigate(model::ControlName browser, const Text& address) override;
  Text GetAddress(model::ControlName browser) override;
  Text GetDocumentCookie(model::ControlName browser) override;
  bool DrawPicture(model::ControlName surface, const platform::ByteBuffer& encoded, int left, int top, int right,
                   int bottom) override;
  model::Picture TakePicture(model::ControlName surface, int width, int height) override;
  void ShowMessage(const Text& text) override;
  void PumpMessages() override;

private:
  struct Sync;

  bool OnGuiThread() const;
  template <class Work>
  auto Run(Work work);
  template <class Kind>
  Kind* As(const std::string& name) const;
  void ShowMessageFromWorker(const QString& text);

  std::shared_ptr<Sync> m_sync;
  std::map<std::string, QPointer<QWidget>, std::less<>> m_widgets;
  std::map<std::string, Text, std::less<>> m_addresses;
  QList<QPointer<QMessageBox>> m_workerBoxes;
  std::chrono::milliseconds m_cookieTimeLimit{5000};
};

// The message box of the program: caption "信息：", the text only, one OK button.
QMessageBox* NewMessageBox(const QString& text);

} // namespace app

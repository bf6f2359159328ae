#pragma once

#include <QList>
#include <QTabWidget>

namespace app {

// A tab control whose pages cover the whole control, tab row included, so
// that page controls are placed from the control's own corner. Switching tabs
// shows the chosen page's controls and hides the others'.
class TabControl : public QTabWidget {
  Q_OBJECT

public:
  explicit TabControl(QWidget* parent = nullptr);

  // Adds a tab and returns the page that holds its controls.
  QWidget* AddPage(const QString& caption);
  QWidget* Page(int index) const { return m_pages.value(index); }
  int PageCount() const { return static_cast<int>(m_pages.size()); }

protected:
  void resizeEvent(QResizeEvent* event) override;

private:
  void ShowPage(int index);

  QList<QWidget*> m_pages;
};

} // namespace app

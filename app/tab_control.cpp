#include "app/tab_control.h"

#include <QTabBar>

namespace app {

TabControl::TabControl(QWidget* parent) : QTabWidget(parent) {
  connect(this, &QTabWidget::currentChanged, this, &TabControl::ShowPage);
}

QWidget* TabControl::AddPage(const QString& caption) {
  // The tab widget's own page stays empty; the controls live on a layer over
  // the whole control, under the tab row.
  addTab(new QWidget, caption);
  auto* page = new QWidget(this);
  page->setObjectName(objectName() + QStringLiteral("_page") + QString::number(m_pages.size()));
  page->setGeometry(rect());
  m_pages.append(page);
  tabBar()->raise();
  ShowPage(currentIndex());
  return page;
}

void TabControl::resizeEvent(QResizeEvent* event) {
  QTabWidget::resizeEvent(event);
  for (QWidget* page : std::as_const(m_pages)) page->setGeometry(rect());
  tabBar()->raise();
}

void TabControl::ShowPage(int index) {
  for (int i = 0; i < m_pages.size(); ++i) m_pages[i]->setVisible(i == index);
}

} // namespace app

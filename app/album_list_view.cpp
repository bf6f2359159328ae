#include "app/album_list_view.h"

#include "app/model/layout.h"
#include "app/pictures.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace app {
namespace {

constexpr int StatePictureWidth = 60;
constexpr int StatePictureHeight = 100;

// Paints a cell as the report view does: text background, the state picture
// in column 0, a picture of the small-image list, then the text.
class AlbumCellDelegate : public QStyledItemDelegate {
public:
  explicit AlbumCellDelegate(AlbumListView* list) : QStyledItemDelegate(list), m_list(list) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& styleOption, const QModelIndex& index) const override {
    QStyleOptionViewItem option(styleOption);
    initStyleOption(&option, index);
    const bool selected = option.state & QStyle::State_Selected;
    painter->save();
    painter->setClipRect(option.rect);
    painter->fillRect(option.rect, selected ? option.palette.highlight() : QBrush(m_list->TextBackground()));
    int textLeft = option.rect.left() + 4;
    if (index.column() == 0) {
      const QPixmap picture = m_list->StatePicture(index.data(AlbumListView::CheckRole).toInt());
      painter->drawPixmap(option.rect.topLeft(), picture);
      textLeft += picture.width();
    }
    const QVariant image = index.data(AlbumListView::ImageRole);
    const int imageIndex = image.isValid() ? image.toInt() : -1;
    if (imageIndex >= 0 && imageIndex < m_list->SmallImages().size()) {
      const QPixmap& picture = m_list->SmallImages().at(imageIndex);
      painter->drawPixmap(option.rect.topLeft(), picture);
      textLeft += picture.width();
    }
    const QString text = index.data(Qt::DisplayRole).toString();
    if (!text.isEmpty()) {
      painter->setFont(option.font);
      painter->setPen(selected ? option.palette.color(QPalette::HighlightedText) : m_list->TextColour());
      const QRect textRect(textLeft, option.rect.top(), option.rect.right() - 3 - textLeft, option.rect.height());
      painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                        option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width()));
    }
    painter->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), model::ListRowHeight};
  }

private:
  AlbumListView* m_list;
};

} // namespace

AlbumListView::AlbumListView(QWidget* parent)
    : QTableWidget(parent), m_statePictures{CheckStatePicture(0), CheckStatePicture(1)} {
  setItemDelegate(new AlbumCellDelegate(this));
  const auto columns = model::AlbumListColumns();
  setColumnCount(static_cast<int>(columns.size()));
  QStringList titles;
  for (const model::ListColumn& column : columns)
    titles.append(QString::fromUtf8(column.title.data(), static_cast<qsizetype>(column.title.size())));
  setHorizontalHeaderLabels(titles);
  for (int i = 0; i < columnCount(); ++i) {
    horizontalHeaderItem(i)->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->resizeSection(i, columns[static_cast<std::size_t>(i)].width);
  }
  QHeaderView* header = horizontalHeader();
  header->setSectionsClickable(false);
  header->setSectionsMovable(true);
  header->setHighlightSections(false);
  header->setMinimumSectionSize(0);
  header->setSectionResizeMode(QHeaderView::Interactive);
  header->setStretchLastSection(false);
  setSortingEnabled(false);

  QHeaderView* rows = verticalHeader();
  rows->hide();
  rows->setMinimumSectionSize(0);
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(model::ListRowHeight);

  setShowGrid(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setMouseTracking(false);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

void AlbumListView::SetColours(QColor text, QColor textBackground) {
  m_textColour = text;
  m_textBackground = textBackground;
  viewport()->update();
}

int AlbumListView::AppendRow() {
  const int row = rowCount();
  insertRow(row);
  for (int column = 0; column < columnCount(); ++column) {
    auto* item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (column == 0) item->setData(CheckRole, 0);
    setItem(row, column, item);
  }
  return row;
}

int AlbumListView::Checked(int row) const {
  const QTableWidgetItem* cell = item(row, 0);
  return cell ? cell->data(CheckRole).toInt() : 0;
}

void AlbumListView::SetChecked(int row, int state) {
  if (QTableWidgetItem* cell = item(row, 0)) cell->setData(CheckRole, state);
}

int AlbumListView::CellImage(int row, int column) const {
  const QTableWidgetItem* cell = item(row, column);
  if (!cell) return -1;
  const QVariant image = cell->data(ImageRole);
  return image.isValid() ? image.toInt() : -1;
}

void AlbumListView::SetCellImage(int row, int column, int image) {
  if (QTableWidgetItem* cell = item(row, column)) cell->setData(ImageRole, image < 0 ? QVariant() : QVariant(image));
}

int AlbumListView::FirstSelectedRow() const {
  int first = -1;
  for (const QModelIndex& index : selectionModel()->selectedRows()) {
    if (first < 0 || index.row() < first) first = index.row();
  }
  return first;
}

void AlbumListView::MakeCurrent(int row) {
  if (row < 0 || row >= rowCount()) return;
  const bool scrolls = hasAutoScroll();
  setAutoScroll(false);
  selectionModel()->setCurrentIndex(model()->index(row, 0),
                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  setAutoScroll(scrolls);
}

void AlbumListView::SetSmallImages(QList<QPixmap> images) {
  m_smallImages = std::move(images);
  viewport()->update();
}

QPixmap AlbumListView::StatePicture(int state) const { return m_statePictures[state == 1 ? 1 : 0]; }

QRect AlbumListView::CheckBoxRect(int row) const {
  const QRect cell = visualRect(model()->index(row, 0));
  if (!cell.isValid()) return {};
  return cell.intersected(QRect(cell.topLeft(), QSize(StatePictureWidth, StatePictureHeight)));
}

int AlbumListView::CheckBoxRowAt(const QPoint& position) const {
  const QModelIndex index = indexAt(position);
  if (!index.isValid() || index.column() != 0) return -1;
  return CheckBoxRect(index.row()).contains(position) ? index.row() : -1;
}

void AlbumListView::ToggleByUser(int row) {
  const int state = Checked(row) == 1 ? 0 : 1;
  SetChecked(row, state);
  Q_EMIT rowCheckToggled(row, state);
}

void AlbumListView::mousePressEvent(QMouseEvent* event) {
  const int row = (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
                      ? CheckBoxRowAt(event->position().toPoint())
                      : -1;
  if (row < 0) {
    QTableWidget::mousePressEvent(event);
    return;
  }
  // The check box takes the click; the selection is left to the handler.
  setFocus(Qt::MouseFocusReason);
  ToggleByUser(row);
  event->accept();
}

void AlbumListView::mouseDoubleClickEvent(QMouseEvent* event) {
  const int row = (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
                      ? CheckBoxRowAt(event->position().toPoint())
                      : -1;
  if (row >= 0) {
    ToggleByUser(row);
    event->accept();
  } else {
    QTableWidget::mouseDoubleClickEvent(event);
  }
  if (event->button() == Qt::LeftButton) Q_EMIT listDoubleClicked();
}

void AlbumListView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && currentIndex().isValid()) {
    ToggleByUser(currentIndex().row());
    event->accept();
    return;
  }
  QTableWidget::keyPressEvent(event);
}

} // namespace app

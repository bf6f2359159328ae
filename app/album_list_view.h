#pragma once

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QTableWidget>

namespace app {

// The album list in report style: a check box per row drawn with two state
// pictures in column 0, pictures from its own small-image list in any cell,
// rows 100 pixels high. Only the user's clicks and keys raise its events.
class AlbumListView : public QTableWidget {
  Q_OBJECT

public:
  static constexpr int CheckRole = Qt::UserRole + 1;
  static constexpr int ImageRole = Qt::UserRole + 2;

  explicit AlbumListView(QWidget* parent = nullptr);

  void SetColours(QColor text, QColor textBackground);
  QColor TextColour() const { return m_textColour; }
  QColor TextBackground() const { return m_textBackground; }

  int AppendRow();
  int Checked(int row) const;
  void SetChecked(int row, int state);
  int CellImage(int row, int column) const;
  void SetCellImage(int row, int column, int image);
  // The first selected row, or -1.
  int FirstSelectedRow() const;
  // Selected and focused, without scrolling to it.
  void MakeCurrent(int row);

  void SetSmallImages(QList<QPixmap> images);
  const QList<QPixmap>& SmallImages() const { return m_smallImages; }
  QPixmap StatePicture(int state) const;

  // Where a row's check box is, in viewport coordinates.
  QRect CheckBoxRect(int row) const;

Q_SIGNALS:
  // A row's check box toggled by the user; state after the toggle.
  void rowCheckToggled(int row, int state);
  // A double-click anywhere in the list.
  void listDoubleClicked();

protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

private:
  int CheckBoxRowAt(const QPoint& position) const;
  void ToggleByUser(int row);

  QColor m_textColour;
  QColor m_textBackground;
  QList<QPixmap> m_smallImages;
  QPixmap m_statePictures[2];
};

} // namespace app

#pragma once

#include "app/model/picture.h"
#include "platform/types.h"

#include <string_view>

namespace model {

using platform::ByteBuffer;
using platform::Text;

// A control's layout name, as written in the source (UTF-8), for example
// "编辑框_号码". It is also the Qt widget's object name.
using ControlName = std::string_view;

// What the program may do to the window's controls. Two bindings exist: the
// Qt window, which carries every call out on the GUI thread (a worker's call
// waits for it), and an in-memory one for tests. Texts are GBK. A call on a
// control of the wrong kind, or on a row or column that does not exist, does
// nothing and reads as empty or 0.
class ControlBackend {
public:
  virtual ~ControlBackend() = default;

  // Edit boxes and labels (the caption); buttons and check boxes too.
  virtual Text GetText(ControlName control) = 0;
  virtual void SetText(ControlName control, const Text& text) = 0;
  // Caret to the end, scrolled into view, text inserted there.
  virtual void AppendText(ControlName control, const Text& text) = 0;

  virtual bool IsVisible(ControlName control) = 0;
  virtual void SetVisible(ControlName control, bool visible) = 0;
  virtual bool IsEnabled(ControlName control) = 0;
  virtual void SetEnabled(ControlName control, bool enabled) = 0;
  virtual void SetFocus(ControlName control) = 0;

  // Check boxes: 1 ticked, 0 not.
  virtual int GetTicked(ControlName control) = 0;
  virtual void SetTicked(ControlName control, int ticked) = 0;

  // Drop-down lists and tab controls: the selected entry or page, from 0.
  virtual int GetSelection(ControlName control) = 0;
  virtual void SetSelection(ControlName control, int index) = 0;

  // Progress bars. Values are held within 0 to 32767.
  virtual int GetMinimum(ControlName control) = 0;
  virtual void SetMinimum(ControlName control, int value) = 0;
  virtual int GetMaximum(ControlName control) = 0;
  virtual void SetMaximum(ControlName control, int value) = 0;
  virtual int GetPosition(ControlName control) = 0;
  virtual void SetPosition(ControlName control, int value) = 0;

  // List views; rows and columns count from 0.
  virtual int RowCount(ControlName list) = 0;
  virtual int InsertRow(ControlName list) = 0;  // at the end; returns its number
  virtual void DeleteAllRows(ControlName list) = 0;
  virtual Text GetCell(ControlName list, int row, int column) = 0;
  virtual void SetCell(ControlName list, int row, int column, const Text& text) = 0;
  virtual int GetRowChecked(ControlName list, int row) = 0;
  virtual void SetRowChecked(ControlName list, int row, int checked) = 0;
  virtual int GetCellImage(ControlName list, int row, int column) = 0;  // -1: none
  virtual void SetCellImage(ControlName list, int row, int column, int imageIndex) = 0;
  virtual int CurrentRow(ControlName list) = 0;  // first selected row, or -1
  virtual void SelectRow(ControlName list, int row) = 0;  // selected and focused, not scrolled to
  virtual int GetColumnWidth(ControlName list, int column) = 0;
  virtual void SetColumnWidth(ControlName list, int column, int width) = 0;
  // The list keeps its own copy of the pictures.
  virtual void SetSmallImageList(ControlName list, const ImageList& images) = 0;

  // The embedded browser.
  virtual void Navigate(ControlName browser, const Text& address) = 0;
  virtual Text GetAddress(ControlName browser) = 0;  // the address last set
  virtual Text GetDocumentCookie(ControlName browser) = 0;

  // The drawing surface: draw a picture (encoded bytes) stretched into the
  // rectangle, without clearing first; false when the bytes decode to no
  // picture. Then read back the whole surface scaled to a size.
  virtual bool DrawPicture(ControlName surface, const ByteBuffer& encoded, int left, int top, int right,
                           int bottom) = 0;
  virtual Picture TakePicture(ControlName surface, int width, int height) = 0;

  // A message box with the caption "信息：" and one OK button; returns when it
  // is closed. Shown from a worker it leaves the window usable.
  virtual void ShowMessage(const Text& text) = 0;

  // Let the calling thread handle what is waiting for it; the GUI thread
  // dispatches its events, a worker has nothing to do.
  virtual void PumpMessages() {}
};

} // namespace model

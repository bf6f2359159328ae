#pragma once

#include "app/model/control_backend.h"

namespace model {

// A handle to one control, named by its layout name. Handles are cheap
// values; every call goes to the binding.
class Control {
public:
  Control(ControlBackend& backend, ControlName name) : m_backend(&backend), m_name(name) {}
  ControlName Name() const { return m_name; }
  bool IsVisible() const { return m_backend->IsVisible(m_name); }
  void Show() const { m_backend->SetVisible(m_name, true); }
  void Hide() const { m_backend->SetVisible(m_name, false); }
  bool IsEnabled() const { return m_backend->IsEnabled(m_name); }
  void SetEnabled(bool enabled) const { m_backend->SetEnabled(m_name, enabled); }

protected:
  ControlBackend* m_backend;
  ControlName m_name;
};

class TextControl : public Control {
public:
  using Control::Control;
  Text GetText() const { return m_backend->GetText(m_name); }
  void SetText(const Text& text) const { m_backend->SetText(m_name, text); }
  void Clear() const { m_backend->SetText(m_name, {}); }
};

using Label = TextControl;
using Button = TextControl;
using GroupBox = Control;

class EditBox : public TextControl {
public:
  using TextControl::TextControl;
  void AppendText(const Text& text) const { m_backend->AppendText(m_name, text); }
  void SetFocus() const { m_backend->SetFocus(m_name); }
};

class CheckBox : public TextControl {
public:
  using TextControl::TextControl;
  int Ticked() const { return m_backend->GetTicked(m_name); }
  void SetTicked(int ticked) const { m_backend->SetTicked(m_name, ticked); }
};

class ComboBox : public Control {
public:
  using Control::Control;
  int Selection() const { return m_backend->GetSelection(m_name); }
};

class TabControl : public Control {
public:
  using Control::Control;
  int CurrentPage() const { return m_backend->GetSelection(m_name); }
  void SetCurrentPage(int page) const { m_backend->SetSelection(m_name, page); }
};

class ProgressBar : public Control {
public:
  using Control::Control;
  int Minimum() const { return m_backend->GetMinimum(m_name); }
  void SetMinimum(int value) const { m_backend->SetMinimum(m_name, value); }
  int Maximum() const { return m_backend->GetMaximum(m_name); }
  void SetMaximum(int value) const { m_backend->SetMaximum(m_name, value); }
  int Position() const { return m_backend->GetPosition(m_name); }
  void SetPosition(int value) const { m_backend->SetPosition(m_name, value); }
};

class ListView : public Control {
public:
  using Control::Control;
  int RowCount() const { return m_backend->RowCount(m_name); }
  int InsertRow() const { return m_backend->InsertRow(m_name); }
  void DeleteAllRows() const { m_backend->DeleteAllRows(m_name); }
  Text Cell(int row, int column) const { return m_backend->GetCell(m_name, row, column); }
  void SetCell(int row, int column, const Text& text) const { m_backend->SetCell(m_name, row, column, text); }
  int Checked(int row) const { return m_backend->GetRowChecked(m_name, row); }
  void SetChecked(int row, int checked) const { m_backend->SetRowChecked(m_name, row, checked); }
  int CellImage(int row, int column) const { return m_backend->GetCellImage(m_name, row, column); }
  void SetCellImage(int row, int column, int image) const { m_backend->SetCellImage(m_name, row, column, image); }
  int CurrentRow() const { return m_backend->CurrentRow(m_name); }
  void SelectRow(int row) const { m_backend->SelectRow(m_name, row); }
  int ColumnWidth(int column) const { return m_backend->GetColumnWidth(m_name, column); }
  void SetColumnWidth(int column, int width) const { m_backend->SetColumnWidth(m_name, column, width); }
  void SetSmallImageList(const ImageList& images) const { m_backend->SetSmallImageList(m_name, images); }
};

class Browser : public Control {
public:
  using Control::Control;
  // An empty address opens "about:blank".
  void SetAddress(const Text& address) const { m_backend->Navigate(m_name, address); }
  void Navigate(const Text& address) const { m_backend->Navigate(m_name, address); }
  Text Address() const { return m_backend->GetAddress(m_name); }
  Text DocumentCookie() const { return m_backend->GetDocumentCookie(m_name); }
};

class Canvas : public Control {
public:
  using Control::Control;
  bool DrawPicture(const ByteBuffer& encoded, int left, int top, int right, int bottom) const {
    return m_backend->DrawPicture(m_name, encoded, left, top, right, bottom);
  }
  Picture TakePicture(int width, int height) const { return m_backend->TakePicture(m_name, width, height); }
};

// Every control of the main window, by its layout name.
struct Controls {
  explicit Controls(ControlBackend& backend);

  ControlBackend& backend;
  TabControl 选择夹1;

  // Sign-in tab
  EditBox 编辑框_url;
  Button 按钮1;
  Button 按钮4;
  EditBox 编辑框_权限_id;
  EditBox 编辑框_权限_行号;
  Browser 超文本浏览框1;

  // Album tab
  GroupBox 分组框2;
  GroupBox 分组框5;
  GroupBox 分组框3;
  GroupBox 分组框1;
  ComboBox 组合框1;
  Label 标签1;
  EditBox 编辑框_号码;
  CheckBox 选择框_自己的;
  Button 按钮_获取相册封面;
  Button 按钮_下载选中;
  Button 按钮_暂停线程;
  Button 按钮_继续下载;
  Label 标签_保存路径;
  EditBox 编辑框_保存位置;
  Button 按钮_选择位置;
  Button 按钮3;
  CheckBox 选择框_全选;
  CheckBox 选择框_反选;
  CheckBox 选择框_有封面;
  Label 标签_动态;
  ListView 超级列表框1;
  Canvas 画板1;
  Label 标签3;
  EditBox 编辑框_操作记录;
  Label 标签_进度;
  ProgressBar 进度条1;
  Label 标签_进度条比例;
  Label 标签_选择了相册数量;
  Label 标签_正在下载相册;
  Label 标签_第多少张照片;
  Label 标签8;

  // Help tab
  GroupBox 分组框7;
  GroupBox 分组框4;
  Label 标签6;
  Button 按钮2;
  Label 标签9;
  Label 标签7;
  Label 标签5;
  Label 标签_banben;
  Label 标签_xinbanben;
  Label 标签_zxbanben;
  Button 按钮_checknew;
  Label 标签_banbenjieguo;

  void ShowMessage(const Text& text) const { backend.ShowMessage(text); }
  void PumpMessages() const { backend.PumpMessages(); }
};

} // namespace model

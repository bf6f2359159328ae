#pragma once

#include "app/model/control_backend.h"
#include "app/model/layout.h"

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace model {

using PictureDecoder = std::function<std::optional<Picture>(const ByteBuffer&)>;

// The window's controls kept in memory, for tests of the handlers and
// workers. It starts from the same layout as the Qt window, is safe to call
// from any thread, and records every change in order.
class MemoryBackend : public ControlBackend {
public:
  struct Event {
    std::string control;  // layout name
    std::string action;   // "SetText", "AppendText", "Show", "Hide", "Navigate", "Message", ...
    Text text;            // the text written, where there is one
    bool operator==(const Event&) const = default;
  };

  struct Row {
    std::vector<Text> cells = std::vector<Text>(ListColumnCount);
    std::vector<int> images = std::vector<int>(ListColumnCount, -1);
    int checked = 0;
  };

  // Without a decoder every picture fails to decode.
  explicit MemoryBackend(PictureDecoder decoder = nullptr);

  Text GetText(ControlName control) override;
  void SetText(ControlName control, const Text& text) override;
  void AppendText(ControlName control, const Text& text) override;
  bool IsVisible(ControlName control) override;
  void SetVisible(ControlName control, bool visible) override;
  bool IsEnabled(ControlName control) override;
  void SetEnabled(ControlName control, bool enabled) override;
  void SetFocus(ControlName control) override;
  int GetTicked(ControlName control) override;
  void SetTicked(ControlName control, int ticked) override;
  int GetSelection(ControlName control) override;
  void SetSelection(ControlName control, int index) override;
  int GetMinimum(ControlName control) override;
  void SetMinimum(ControlName control, int value) override;
  int GetMaximum(ControlName control) override;
  void SetMaximum(ControlName control, int value) override;
  int GetPosition(ControlName control) override;
  void SetPosition(ControlName control, int value) override;
  int RowCount(ControlName list) override;
  int InsertRow(ControlName list) override;
  void DeleteAllRows(ControlName list) override;
  Text GetCell(ControlName list, int row, int column) override;
  void SetCell(ControlName list, int row, int column, const Text& text) override;
  int GetRowChecked(ControlName list, int row) override;
  void SetRowChecked(ControlName list, int row, int checked) override;
  int GetCellImage(ControlName list, int row, int column) override;
  void SetCellImage(ControlName list, int row, int column, int imageIndex) override;
  int CurrentRow(ControlName list) override;
  void SelectRow(ControlName list, int row) override;
  int GetColumnWidth(ControlName list, int column) override;
  void SetColumnWidth(ControlName list, int column, int width) override;
  void SetSmallImageList(ControlName list, const ImageList& images) override;
  void Navigate(ControlName browser, const Text& address) override;
  Text GetAddress(ControlName browser) override;
  Text GetDocumentCookie(ControlName browser) override;
  bool DrawPicture(ControlName surface, const ByteBuffer& encoded, int left, int top, int right,
                   int bottom) override;
  Picture TakePicture(ControlName surface, int width, int height) override;
  void ShowMessage(const Text& text) override;

  // For tests: what happened, and what the user would do.
  std::vector<Event> Events() const;
  std::vector<Event> EventsOf(std::string_view control) const;
  std::vector<Text> Messages() const;
  std::vector<Text> Navigations() const;
  std::string FocusedControl() const;
  Row RowAt(int row) const;
  ImageList SmallImageList() const;
  void SetDocumentCookie(const Text& cookie);
  // Called for every message box, on the thread that shows it; the box
  // counts as closed when it returns.
  void SetMessageHandler(std::function<void(const Text&)> handler);
  // Called for every event as it is recorded (outside the lock).
  void SetEventObserver(std::function<void(const Event&)> observer);

private:
  struct ControlState {
    Text text;
    bool visible = true;
    bool enabled = true;
    int ticked = 0;
    int selection = 0;
    int minimum = 0;
    int maximum = 100;
    int position = 0;
  };

  ControlState& State(ControlName control);
  void Record(std::unique_lock<std::mutex>& lock, ControlName control, std::string action, const Text& text = {});

  mutable std::mutex m_mutex;
  PictureDecoder m_decoder;
  std::map<std::string, ControlState, std::less<>> m_controls;
  std::vector<Row> m_rows;
  int m_currentRow = -1;
  std::vector<int> m_columnWidths;
  ImageList m_smallImages;
  Text m_address;
  Text m_documentCookie;
  std::vector<Text> m_navigations;
  std::string m_focus;
  Picture m_canvas;
  std::vector<Event> m_events;
  std::vector<Text> m_messages;
  std::function<void(const Text&)> m_messageHandler;
  std::function<void(const Event&)> m_observer;
};

// Nearest-neighbour scaling, shared by the in-memory surface.
Picture ScalePicture(const Picture& source, int width, int height);

} // namespace model

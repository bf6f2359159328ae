#include "app/model/memory_backend.h"

#include "platform/codepage.h"

#include <algorithm>

namespace model {
namespace {

constexpr int ProgressLimit = 32767;

int ClampProgress(int value) { return std::clamp(value, 0, ProgressLimit); }

bool ValidCell(const std::vector<MemoryBackend::Row>& rows, int row, int column) {
  return row >= 0 && row < static_cast<int>(rows.size()) && column >= 0 && column < ListColumnCount;
}

} // namespace

Picture ScalePicture(const Picture& source, int width, int height) {
  Picture scaled;
  if (source.IsNull() || width <= 0 || height <= 0) return scaled;
  scaled.width = width;
  scaled.height = height;
  scaled.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    const int sy = y * source.height / height;
    for (int x = 0; x < width; ++x) {
      const int sx = x * source.width / width;
      scaled.pixels[static_cast<std::size_t>(y) * width + x] =
          source.pixels[static_cast<std::size_t>(sy) * source.width + sx];
    }
  }
  return scaled;
}

MemoryBackend::MemoryBackend(PictureDecoder decoder) : m_decoder(std::move(decoder)) {
  for (const ControlLayout& layout : MainWindowLayout()) {
    ControlState& state = m_controls[std::string(layout.name)];
    state.text = platform::Utf8ToGbk(layout.text);
    state.visible = !layout.hidden;
  }
  for (const ListColumn& column : AlbumListColumns()) m_columnWidths.push_back(column.width);
  const ControlLayout* canvas = FindControlLayout("画板1");
  m_canvas.width = canvas->width;
  m_canvas.height = canvas->height;
  // The surface's background before anything is drawn.
  m_canvas.pixels.assign(static_cast<std::size_t>(m_canvas.width) * m_canvas.height, 0xFFF0F0F0u);
}

MemoryBackend::ControlState& MemoryBackend::State(ControlName control) {
  auto found = m_controls.find(control);
  if (found == m_controls.end()) found = m_controls.emplace(std::string(control), ControlState{}).first;
  return found->second;
}

void MemoryBackend::Record(std::unique_lock<std::mutex>& lock, ControlName control, std::string action,
                           const Text& text) {
  Event event{std::string(control), std::move(action), text};
  m_events.push_back(event);
  auto observer = m_observer;
  lock.unlock();
  if (observer) observer(event);
}

Text MemoryBackend::GetText(ControlName control) {
  std::lock_guard lock(m_mutex);
  return State(control).text;
}

void MemoryBackend::SetText(ControlName control, const Text& text) {
  std::unique_lock lock(m_mutex);
  State(control).text = text;
  Record(lock, control, "SetText", text);
}

void MemoryBackend::AppendText(ControlName control, const Text& text) {
  std::unique_lock lock(m_mutex);
  State(control).text += text;
  Record(lock, control, "AppendText", text);
}

bool MemoryBackend::IsVisible(ControlName control) {
  std::lock_guard lock(m_mutex);
  return State(control).visible;
}

void MemoryBackend::SetVisible(ControlName control, bool visible) {
  std::unique_lock lock(m_mutex);
  State(control).visible = visible;
  Record(lock, control, visible ? "Show" : "Hide");
}

bool MemoryBackend::IsEnabled(ControlName control) {
  std::lock_guard lock(m_mutex);
  return State(control).enabled;
}

void MemoryBackend::SetEnabled(ControlName control, bool enabled) {
  std::unique_lock lock(m_mutex);
  State(control).enabled = enabled;
  Record(lock, control, enabled ? "Enable" : "Disable");
}

void MemoryBackend::SetFocus(ControlName control) {
  std::unique_lock lock(m_mutex);
  m_focus = std::string(control);
  Record(lock, control, "SetFocus");
}

int MemoryBackend::GetTicked(ControlName control) {
  std::lock_guard lock(m_mutex);
  return State(control).ticked;
}

void MemoryBackend::SetTicked(ControlName control, int ticked) {
  std::unique_lock lock(m_mutex);
  State(control).ticked = ticked ? 1 : 0;
  Record(lock, control, "SetTicked", std::to_string(ticked ? 1 : 0));
}

int MemoryBackend::GetSelection(ControlName control) {
  std::lock_guard lock(m_mutex);
  return State(control).selection;
}

void MemoryBackend::SetSelection(ControlName control, int index) {
  std::unique_lock lock(m_mutex);
  State(control).selection = index;
  Record(lock, control, "SetSelection", std::to_string(index));
}

int MemoryBackend::GetMinimum(ControlName control) {
  std::lock_guard lock(m_mutex);
  return State(control).minimum;
}

void MemoryBackend::SetMinimum(ControlName control, int value) {
  std::unique_lock lock(m_mutex);
  State(control).minimum = ClampProgress(value);
  Record(lock, control, "SetMinimum", std::to_string(ClampProgress(value)));
}

int MemoryBackend::GetMaximum(ControlName control) {
  std::lock_guard lock(m_mutex);
  return State(control).maximum;
}

void MemoryBackend::SetMaximum(ControlName control, int value) {
  std::unique_lock lock(m_mutex);
  State(control).maximum = ClampProgress(value);
  Record(lock, control, "SetMaximum", std::to_string(ClampProgress(value)));
}

int MemoryBackend::GetPosition(ControlName control) {
  std::lock_guard lock(m_mutex);
  return State(control).position;
}

void MemoryBackend::SetPosition(ControlName control, int value) {
  std::unique_lock lock(m_mutex);
  State(control).position = ClampProgress(value);
  Record(lock, control, "SetPosition", std::to_string(ClampProgress(value)));
}

int MemoryBackend::RowCount(ControlName) {
  std::lock_guard lock(m_mutex);
  return static_cast<int>(m_rows.size());
}

int MemoryBackend::InsertRow(ControlName list) {
  std::unique_lock lock(m_mutex);
  m_rows.emplace_back();
  const int row = static_cast<int>(m_rows.size()) - 1;
  Record(lock, list, "InsertRow", std::to_string(row));
  return row;
}

void MemoryBackend::DeleteAllRows(ControlName list) {
  std::unique_lock lock(m_mutex);
  m_rows.clear();
  m_currentRow = -1;
  Record(lock, list, "DeleteAllRows");
}

Text MemoryBackend::GetCell(ControlName, int row, int column) {
  std::lock_guard lock(m_mutex);
  if (!ValidCell(m_rows, row, column)) return {};
  return m_rows[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)];
}

void MemoryBackend::SetCell(ControlName list, int row, int column, const Text& text) {
  std::unique_lock lock(m_mutex);
  if (!ValidCell(m_rows, row, column)) return;
  m_rows[static_cast<std::size_t>(row)].cells[static_cast<std::size_t>(column)] = text;
  Record(lock, list, "SetCell " + std::to_string(row) + " " + std::to_string(column), text);
}

int MemoryBackend::GetRowChecked(ControlName, int row) {
  std::lock_guard lock(m_mutex);
  if (!ValidCell(m_rows, row, 0)) return 0;
  return m_rows[static_cast<std::size_t>(row)].checked;
}

void MemoryBackend::SetRowChecked(ControlName list, int row, int checked) {
  std::unique_lock lock(m_mutex);
  if (!ValidCell(m_rows, row, 0)) return;
  m_rows[static_cast<std::size_t>(row)].checked = checked;
  Record(lock, list, "SetChecked " + std::to_string(row), std::to_string(checked));
}

int MemoryBackend::GetCellImage(ControlName, int row, int column) {
  std::lock_guard lock(m_mutex);
  if (!ValidCell(m_rows, row, column)) return -1;
  return m_rows[static_cast<std::size_t>(row)].images[static_cast<std::size_t>(column)];
}

void MemoryBackend::SetCellImage(ControlName list, int row, int column, int imageIndex) {
  std::unique_lock lock(m_mutex);
  if (!ValidCell(m_rows, row, column)) return;
  m_rows[static_cast<std::size_t>(row)].images[static_cast<std::size_t>(column)] = imageIndex;
  Record(lock, list, "SetCellImage " + std::to_string(row) + " " + std::to_string(column),
         std::to_string(imageIndex));
}

int MemoryBackend::CurrentRow(ControlName) {
  std::lock_guard lock(m_mutex);
  return m_currentRow;
}

void MemoryBackend::SelectRow(ControlName list, int row) {
  std::unique_lock lock(m_mutex);
  if (!ValidCell(m_rows, row, 0)) return;
  m_currentRow = row;
  Record(lock, list, "SelectRow", std::to_string(row));
}

int MemoryBackend::GetColumnWidth(ControlName, int column) {
  std::lock_guard lock(m_mutex);
  if (column < 0 || column >= ListColumnCount) return 0;
  return m_columnWidths[static_cast<std::size_t>(column)];
}

void MemoryBackend::SetColumnWidth(ControlName list, int column, int width) {
  std::unique_lock lock(m_mutex);
  if (column < 0 || column >= ListColumnCount) return;
  m_columnWidths[static_cast<std::size_t>(column)] = width;
  Record(lock, list, "SetColumnWidth " + std::to_string(column), std::to_string(width));
}

void MemoryBackend::SetSmallImageList(ControlName list, const ImageList& images) {
  std::unique_lock lock(m_mutex);
  m_smallImages = images;
  Record(lock, list, "SetSmallImageList", std::to_string(images.pictures.size()));
}

void MemoryBackend::Navigate(ControlName browser, const Text& address) {
  std::unique_lock lock(m_mutex);
  m_address = address;
  m_navigations.push_back(address);
  Record(lock, browser, "Navigate", address);
}

Text MemoryBackend::GetAddress(ControlName) {
  std::lock_guard lock(m_mutex);
  return m_address;
}

Text MemoryBackend::GetDocumentCookie(ControlName) {
  std::lock_guard lock(m_mutex);
  return m_documentCookie;
}

bool MemoryBackend::DrawPicture(ControlName surface, const ByteBuffer& encoded, int left, int top, int right,
                                int bottom) {
  std::optional<Picture> decoded;
  if (m_decoder && !encoded.empty()) decoded = m_decoder(encoded);
  std::unique_lock lock(m_mutex);
  if (!decoded || decoded->IsNull()) {
    Record(lock, surface, "DrawPicture", "none");
    return false;
  }
  const Picture stretched = ScalePicture(*decoded, right - left, bottom - top);
  for (int y = 0; y < stretched.height; ++y) {
    for (int x = 0; x < stretched.width; ++x) {
      const int cx = left + x;
      const int cy = top + y;
      if (cx < 0 || cy < 0 || cx >= m_canvas.width || cy >= m_canvas.height) continue;
      m_canvas.pixels[static_cast<std::size_t>(cy) * m_canvas.width + cx] =
          stretched.pixels[static_cast<std::size_t>(y) * stretched.width + x];
    }
  }
  Record(lock, surface, "DrawPicture", "drawn");
  return true;
}

Picture MemoryBackend::TakePicture(ControlName, int width, int height) {
  std::lock_guard lock(m_mutex);
  return ScalePicture(m_canvas, width, height);
}

void MemoryBackend::ShowMessage(const Text& text) {
  std::function<void(const Text&)> handler;
  {
    std::unique_lock lock(m_mutex);
    m_messages.push_back(text);
    handler = m_messageHandler;
    Record(lock, "信息：", "Message", text);
  }
  if (handler) handler(text);
}

std::vector<MemoryBackend::Event> MemoryBackend::Events() const {
  std::lock_guard lock(m_mutex);
  return m_events;
}

std::vector<MemoryBackend::Event> MemoryBackend::EventsOf(std::string_view control) const {
  std::lock_guard lock(m_mutex);
  std::vector<Event> events;
  for (const Event& event : m_events) {
    if (event.control == control) events.push_back(event);
  }
  return events;
}

std::vector<Text> MemoryBackend::Messages() const {
  std::lock_guard lock(m_mutex);
  return m_messages;
}

std::vector<Text> MemoryBackend::Navigations() const {
  std::lock_guard lock(m_mutex);
  return m_navigations;
}

std::string MemoryBackend::FocusedControl() const {
  std::lock_guard lock(m_mutex);
  return m_focus;
}

MemoryBackend::Row MemoryBackend::RowAt(int row) const {
  std::lock_guard lock(m_mutex);
  if (!ValidCell(m_rows, row, 0)) return {};
  return m_rows[static_cast<std::size_t>(row)];
}

ImageList MemoryBackend::SmallImageList() const {
  std::lock_guard lock(m_mutex);
  return m_smallImages;
}

void MemoryBackend::SetDocumentCookie(const Text& cookie) {
  std::lock_guard lock(m_mutex);
  m_documentCookie = cookie;
}

void MemoryBackend::SetMessageHandler(std::function<void(const Text&)> handler) {
  std::lock_guard lock(m_mutex);
  m_messageHandler = std::move(handler);
}

void MemoryBackend::SetEventObserver(std::function<void(const Event&)> observer) {
  std::lock_guard lock(m_mutex);
  m_observer = std::move(observer);
}

} // namespace model

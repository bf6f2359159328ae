#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace model {

enum class ControlKind {
  TabControl,
  Page,
  GroupBox,
  Label,
  EditBox,       // one line
  MultiLineEdit, // multi-line with vertical scroll bar
  Button,
  CheckBox,
  ComboBox,
  ProgressBar,
  ListView,
  Browser,
  Canvas,
};

inline constexpr std::uint32_t NoColour = 0xFFFFFFFFu;

// One control of the main window's fixed layout. Places are left, top from the
// parent's corner (the tab control for page-level controls, otherwise the
// group box); texts are UTF-8 as written here.
struct ControlLayout {
  std::string_view name;
  ControlKind kind;
  std::string_view parent;  // empty: the window itself
  int page;                 // tab page 0..2, -1 for the window and the tab control
  int left, top, width, height;
  std::string_view text;
  bool hidden = false;
  int fontPixels = 0;  // 0: the default GUI font
  bool bold = false;
  bool underline = false;
  std::uint32_t textColour = NoColour;        // 0xRRGGBB
  std::uint32_t backgroundColour = NoColour;  // 0xRRGGBB
  bool border = false;                        // single-line border on labels
};

struct ListColumn {
  std::string_view title;
  int width;
};

inline constexpr std::string_view WindowTitle = "Orlio 网易163相册 批量下载";
inline constexpr int WindowWidth = 936;
inline constexpr int WindowHeight = 627;
inline constexpr int ListRowHeight = 100;
inline constexpr int ListColumnCount = 8;

std::span<const ControlLayout> MainWindowLayout();
std::span<const ListColumn> AlbumListColumns();
std::span<const std::string_view> TabCaptions();
// The entry for a name, or nullptr.
const ControlLayout* FindControlLayout(std::string_view name);

} // namespace model

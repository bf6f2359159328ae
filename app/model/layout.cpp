#include "app/model/layout.h"

#include <array>

namespace model {
namespace {

using K = ControlKind;

// clang-format off
constexpr std::array Layout{
  ControlLayout{"选择夹1", K::TabControl, "", -1, 5, 8, 923, 592, "", false, 16, true},

  // Sign-in tab. The address box gets the album site root at start-up.
  ControlLayout{"编辑框_url", K::EditBox, "", 0, 3, 45, 592, 32, ""},
  ControlLayout{"按钮1", K::Button, "", 0, 602, 43, 93, 32, "打开"},
  ControlLayout{"按钮4", K::Button, "", 0, 719, 42, 156, 33, "已经取得进入相册权限"},
  ControlLayout{"编辑框_权限_id", K::EditBox, "", 0, 52, 80, 128, 25, "", true},
  ControlLayout{"编辑框_权限_行号", K::EditBox, "", 0, 203, 79, 120, 26, "", true},
  ControlLayout{"超文本浏览框1", K::Browser, "", 0, 3, 108, 944, 476, ""},

  // Album tab
  ControlLayout{"分组框2", K::GroupBox, "", 1, 10, 25, 902, 49, ""},
  ControlLayout{"分组框5", K::GroupBox, "", 1, 10, 73, 902, 48, ""},
  ControlLayout{"分组框3", K::GroupBox, "", 1, 10, 125, 902, 459, "", false, 0, false, false, NoColour, 0xECECEC},
  ControlLayout{"分组框1", K::GroupBox, "分组框3", 1, 681, 36, 200, 383, ""},
  ControlLayout{"组合框1", K::ComboBox, "分组框2", 1, 6, 20, 160, 24, "网易相册"},
  ControlLayout{"标签1", K::Label, "分组框2", 1, 171, 19, 68, 24, "1》用户主页："},
  ControlLayout{"编辑框_号码", K::EditBox, "分组框2", 1, 242, 18, 360, 26, "", false, 16, true},
  ControlLayout{"选择框_自己的", K::CheckBox, "分组框2", 1, 605, 19, 73, 24, "自己相册"},
  ControlLayout{"按钮_获取相册封面", K::Button, "分组框2", 1, 682, 12, 88, 32, "2:获取相册", false, 14},
  ControlLayout{"按钮_下载选中", K::Button, "分组框2", 1, 786, 11, 88, 32, "3：下载选中", false, 14},
  ControlLayout{"按钮_暂停线程", K::Button, "分组框2", 1, 809, 8, 69, 32, "暂停下载", true},
  ControlLayout{"按钮_继续下载", K::Button, "分组框2", 1, 817, 11, 77, 32, "继续下载", true},
  ControlLayout{"标签_保存路径", K::Label, "分组框5", 1, 8, 12, 97, 32, "相册保存位置：", false, 12},
  ControlLayout{"编辑框_保存位置", K::EditBox, "分组框5", 1, 89, 12, 589, 29, ""},
  ControlLayout{"按钮_选择位置", K::Button, "分组框5", 1, 684, 12, 85, 27, "选择存放位置"},
  ControlLayout{"按钮3", K::Button, "分组框5", 1, 788, 12, 85, 27, "打开目录"},
  ControlLayout{"选择框_全选", K::CheckBox, "分组框3", 1, 16, 22, 46, 16, "全选"},
  ControlLayout{"选择框_反选", K::CheckBox, "分组框3", 1, 76, 22, 46, 16, "反选"},
  ControlLayout{"选择框_有封面", K::CheckBox, "分组框3", 1, 138, 22, 164, 16, "有封面图(低配电脑不要选)"},
  ControlLayout{"标签_动态", K::Label, "分组框3", 1, 310, 14, 548, 24, "", false, 12, true, false, 0x0000FF},
  ControlLayout{"超级列表框1", K::ListView, "分组框3", 1, 6, 41, 667, 378, "", false, 16, false, false, 0x0088FF, 0xECECEC},
  ControlLayout{"画板1", K::Canvas, "分组框3", 1, 455, 107, 112, 88, "", true},
  ControlLayout{"标签3", K::Label, "分组框1", 1, 8, 12, 88, 19, "执行操作日志："},
  ControlLayout{"编辑框_操作记录", K::MultiLineEdit, "分组框1", 1, 8, 42, 176, 309, ""},
  ControlLayout{"标签_进度", K::Label, "分组框3", 1, 7, 418, 56, 35, "下载进度："},
  ControlLayout{"进度条1", K::ProgressBar, "分组框3", 1, 74, 423, 280, 24, ""},
  ControlLayout{"标签_进度条比例", K::Label, "分组框3", 1, 359, 424, 41, 23, "", false, 0, false, false, NoColour, NoColour, true},
  ControlLayout{"标签_选择了相册数量", K::Label, "分组框3", 1, 404, 424, 144, 23, "", false, 0, false, false, NoColour, NoColour, true},
  ControlLayout{"标签_正在下载相册", K::Label, "分组框3", 1, 554, 424, 110, 23, "", false, 0, false, false, NoColour, NoColour, true},
  ControlLayout{"标签_第多少张照片", K::Label, "分组框3", 1, 666, 424, 95, 23, "", false, 0, false, false, NoColour, 0xFFFFFF, true},
  ControlLayout{"标签8", K::Label, "分组框3", 1, 778, 422, 95, 24, "版本：v20151130"},

  // Help tab
  ControlLayout{"分组框7", K::GroupBox, "", 2, 11, 49, 856, 256, "帮助与联系"},
  ControlLayout{"分组框4", K::GroupBox, "分组框7", 2, 360, 25, 488, 223, "软件版本"},
  ControlLayout{"标签6", K::Label, "分组框7", 2, 7, 29, 64, 26, "在线客服："},
  ControlLayout{"按钮2", K::Button, "分组框7", 2, 77, 29, 84, 24, ""},
  ControlLayout{"标签9", K::Label, "分组框7", 2, 7, 76, 159, 24, "欢迎访问作者主页："},
  ControlLayout{"标签7", K::Label, "分组框7", 2, 7, 119, 165, 20, "", false, 14, false, true, 0x0088FF},
  ControlLayout{"标签5", K::Label, "分组框4", 2, 313, 34, 60, 40, "当前版本：", false, 0, false, false, NoColour, NoColour, true},
  ControlLayout{"标签_banben", K::Label, "分组框4", 2, 377, 34, 95, 40, "20151130", false, 0, false, false, NoColour, NoColour, true},
  ControlLayout{"标签_xinbanben", K::Label, "分组框4", 2, 313, 82, 60, 40, "最新版本：", false, 0, false, false, NoColour, NoColour, true},
  ControlLayout{"标签_zxbanben", K::Label, "分组框4", 2, 377, 82, 95, 40, "", false, 0, false, false, NoColour, NoColour, true},
  ControlLayout{"按钮_checknew", K::Button, "分组框4", 2, 313, 129, 159, 40, "检测程序是否有更新"},
  ControlLayout{"标签_banbenjieguo", K::Label, "分组框4", 2, 312, 182, 160, 24, "", false, 0, false, false, 0xFF0000},
};

constexpr std::array Columns{
  ListColumn{"选择", 60}, ListColumn{"序号", 40}, ListColumn{"相册名称", 120}, ListColumn{"封面", 100},
  ListColumn{"数量", 70}, ListColumn{"相册ID", 80}, ListColumn{"相册权限", 120}, ListColumn{"相册密码", 80},
};

constexpr std::array<std::string_view, 3> Captions{
  "  第一步：登录  ", "  第二步：获取相册    ", "  帮助  ",
};
// clang-format on

static_assert(Columns.size() == ListColumnCount);

} // namespace

std::span<const ControlLayout> MainWindowLayout() { return Layout; }
std::span<const ListColumn> AlbumListColumns() { return Columns; }
std::span<const std::string_view> TabCaptions() { return Captions; }

const ControlLayout* FindControlLayout(std::string_view name) {
  for (const ControlLayout& control : Layout) {
    if (control.name == name) return &control;
  }
  return nullptr;
}

} // namespace model

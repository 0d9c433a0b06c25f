// The about window: the program's title and version above a read-only text of its features,
// usage and legal notice.
#include "app/app_state.h"
#include "app/setup_dialogs.h"

namespace zor {

namespace {

Rect at(int x, int y, int w, int h) { return Rect{x, y, x + w, y + h}; }

}  // namespace

std::string aboutTitleLine(std::string_view version) {
  std::string line = kProgramTitle;
  if (!version.empty()) line += "  v" + std::string(version);
  return line;
}

const std::vector<std::string>& aboutLines() {
  static const std::vector<std::string> lines = {
      "【软件功能】",
      "· 历史行情回放：加载 vipdoc 行情数据（.lc1/.day）或转换后的 DAT 数据，按交易日逐分钟回放训练。",
      "· 行情图表：支持日/周/月线及 1/5/15/30/60 分钟周期；涨跌配色遵循国内行情惯例（红涨绿跌）。",
      "· 画线工具：趋势线、水平/竖直参考线、黄金分割、百分比线、平行通道、矩形、椭圆、圆弧、箭头、文字标注。",
      "· 模拟交易：虚拟资金买卖、持仓与成交记录、资金曲线，支持 T+1/T+0 切换，用于交易训练。",
      "· 数据配置：菜单「设置→数据配置」可随时选择 DAT 目录与 lc1 目录（支持双源融合）。",
      "",
      "【使用说明】",
      "1. 首次启动若未配置或目录无效，会自动弹出「数据目录配置」，用浏览按钮选择数据目录后保存。",
      "2. 也可通过菜单「设置(S)」或编辑 exe 同目录的 zor.cfg 指定 LC1_DIR / DAT_DIR / DATAMODE。",
      "3. 菜单「画图(H)」选择画线工具；「资金(Z)」进行资金与交易设置。",
      "4. 顶部工具栏加载标的、切换周期、开始/暂停训练回放。",
      "",
      "【法律声明】",
      "本软件仅供个人学习与交易训练使用，不构成任何投资建议。",
      "· 历史训练/回放数据均来自用户本地历史数据包；",
      "· 实时行情（如使用）来自免费公共行情节点，为公共行情源，稳定性不作任何承诺，可能随时中断或失效；",
      "· 模拟交易结果不代表真实市场表现，据此操作产生的任何盈亏均与本软件及开发者无关；",
      "· 本软件按“现状”提供，不保证数据完整、准确或适用，使用即视为同意上述条款。",
  };
  return lines;
}

Dialog aboutWindowSpec(std::string_view version) {
  Dialog d;
  d.className = kAboutClass;
  d.title = kAboutTitle;
  d.frame = DialogFrame::Window;
  d.size = Size{660, 548};

  DialogField title;
  title.id = 1100;
  title.kind = FieldKind::Label;
  title.rect = at(20, 14, 580, 26);
  title.label = aboutTitleLine(version);
  title.font = Font{"宋体", 14, false};

  DialogField text;
  text.id = 1101;
  text.kind = FieldKind::TextBox;
  text.rect = at(20, 48, 600, 410);
  for (const std::string& line : aboutLines()) text.text += (text.text.empty() ? "" : "\r\n") + line;
  text.font = Font{"Microsoft YaHei", 14, false};

  DialogField close;
  close.id = kAboutCloseButton;
  close.kind = FieldKind::Button;
  close.rect = at(280, 472, 120, 34);
  close.label = "关闭";
  close.role = ButtonRole::Cancel;
  close.isDefault = true;
  close.font = Font{"宋体", 14, false};

  d.fields = {title, text, close};
  return d;
}

void aboutWindow(AppState& app) {
  std::string version = app.win.dialogs ? app.win.dialogs->programVersion() : std::string();
  Dialog d = aboutWindowSpec(version);
  runDialog(app, d);
}

}  // namespace zor

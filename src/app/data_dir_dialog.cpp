// The data-directory dialog: two directory texts (the converted DAT directory and the vipdoc or
// THS directory), each with a folder browser, saved to zor.cfg.
#include <string>

#include "app/app_state.h"
#include "app/config.h"
#include "app/setup_dialogs.h"
#include "data/loaders.h"
#include "platform/text.h"

namespace zor {

namespace {

const Font kDialogFont{"宋体", 12, false};

constexpr const char* kDatLabel = "转换后 DAT 目录（历史数据，含 index.dat）：";
constexpr const char* kLc1Label = "lc1 / 同花顺 目录（vipdoc 或 同花顺 history，自动补全最近缺口）：";
constexpr const char* kHelpText =
    "两项均可填；同时填写时自动融合：DAT 提供历史，lc1 补全最近缺失的交易日。至少填一项。\r\n"
    "同花顺 1 分钟数据：lc1 目录填 C:\\同花顺软件\\同花顺\\history（也可只填同花顺安装根目录，程序自动识别）。";

DialogField label(Rect r, const char* text) {
  DialogField f;
  f.kind = FieldKind::Label;
  f.rect = r;
  f.label = text;
  f.font = kDialogFont;
  return f;
}

DialogField dirEdit(int id, Rect r, const std::string& text) {
  DialogField f;
  f.id = id;
  f.kind = FieldKind::Edit;
  f.rect = r;
  f.text = text;
  // A longer path cannot be stored without naming another directory: refuse it rather than cut it.
  f.limit = kPathMax;
  f.limitMessage = kMsgDirTooLong;
  f.font = kDialogFont;
  return f;
}

DialogField button(int id, Rect r, const char* text, ButtonRole role, bool isDefault) {
  DialogField f;
  f.id = id;
  f.kind = FieldKind::Button;
  f.rect = r;
  f.label = text;
  f.role = role;
  f.isDefault = isDefault;
  f.font = kDialogFont;
  return f;
}

Rect at(int x, int y, int w, int h) { return Rect{x, y, x + w, y + h}; }

// Blanks around a pasted path are never part of it (zor.cfg would keep them, and a leading
// blank makes an absolute path relative).
std::string dirText(const Dialog& d, int id) { return std::string(trim(d.text(id))); }

DialogReply save(Config& cfg, DataDirOrigin origin, Dialog& d, DialogEnv& env) {
  // Work on a copy: from the menu a failed write must leave the running configuration as it
  // was, or a later placement save would store directories the table was not built from.
  Config next = cfg;
  next.datDirText = dirText(d, FieldDatDir);
  next.lc1DirText = dirText(d, FieldLc1Dir);
  next.dataMode = (next.datDirText.empty() ? 0 : 2) + (next.lc1DirText.empty() ? 0 : 1);
  resolveDataDirs(next);
  if (writeConfig(next)) {
    cfg = next;
    d.result = int(DataDirOutcome::Saved);
    return DialogReply{true, false, false};
  }
  if (origin == DataDirOrigin::Menu) {
    env.ui.messageBox(kConfigSaveFailed, kCaptionDataDir, MsgError);
    return {};
  }
  env.ui.messageBox(std::string(kConfigSaveFailed) + kMsgSettingsThisRunOnly, kCaptionDataDir, MsgError);
  cfg = next;
  d.result = int(DataDirOutcome::KeptForThisRun);
  return DialogReply{true, false, false};
}

DialogReply closeDialog(DataDirOrigin origin, Dialog& d, DialogEnv& env) {
  d.result = int(DataDirOutcome::Cancelled);
  if (origin == DataDirOrigin::Startup &&
      env.ui.messageBox(kMsgQuitWithoutDir, "提示", MsgQuestion | MsgYesNo) == ResultYes)
    d.result = int(DataDirOutcome::Quit);
  return DialogReply{true, false, false};
}

DialogReply browse(Dialog& d, int id, DialogEnv& env) {
  int edit = id == FieldBrowseDat ? FieldDatDir : FieldLc1Dir;
  std::string path = d.text(edit);
  if (!env.host.browseFolder(kBrowseTitle, path)) return {};  // cancelled: the text stays
  d.setText(edit, path);
  return DialogReply{false, true, false};
}

}  // namespace

Dialog dataDirDialogSpec(Config& cfg, DataDirOrigin origin) {
  Dialog d;
  d.className = kDataDirClass;
  d.title = kDataDirTitle;
  d.frame = DialogFrame::Window;
  d.size = Size{560, 335};
  d.gbCharset = true;
  d.fields = {
      label(at(24, 16, 500, 22), kDatLabel),
      dirEdit(FieldDatDir, at(24, 40, 380, 26), cfg.datDirText),
      button(FieldBrowseDat, at(414, 39, 80, 28), "浏览…", ButtonRole::Command, false),
      label(at(24, 84, 500, 22), kLc1Label),
      dirEdit(FieldLc1Dir, at(24, 108, 380, 26), cfg.lc1DirText),
      button(FieldBrowseLc1, at(414, 107, 80, 28), "浏览…", ButtonRole::Command, false),
      button(FieldSaveDirs, at(204, 158, 140, 34), "确定并保存", ButtonRole::Submit, true),
      label(at(24, 206, 500, 74), kHelpText),
  };
  d.validate = [](const Dialog& dlg) {
    if (dirText(dlg, FieldDatDir).empty() && dirText(dlg, FieldLc1Dir).empty())
      return DialogCheck::refuse(kMsgNeedOneDir, FieldDatDir);
    return DialogCheck::pass();
  };
  d.apply = [&cfg, origin](Dialog& dlg, DialogEnv& env) { return save(cfg, origin, dlg, env); };
  d.onCommand = browse;
  d.onClose = [origin](Dialog& dlg, DialogEnv& env) { return closeDialog(origin, dlg, env); };
  d.cancelResult = d.failResult = int(DataDirOutcome::Cancelled);
  return d;
}

DataDirOutcome dataDirDialog(AppState& app, DataDirOrigin origin) {
  Dialog d = dataDirDialogSpec(app.config, origin);
  return DataDirOutcome(runDialog(app, d));
}

}  // namespace zor

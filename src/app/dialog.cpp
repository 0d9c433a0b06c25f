#include "app/dialog.h"

#include <algorithm>

#include "app/app_state.h"
#include "platform/text.h"

namespace zor {

namespace {

constexpr int kExtentMargin = 12;  // right of and below the outermost field

const std::string kNoText;

// The first edit whose text is longer than its limit, or nullptr.
const DialogField* overLimit(const Dialog& d) {
  for (const DialogField& f : d.fields)
    if (f.kind == FieldKind::Edit && f.limit > 0 && f.text.size() > f.limit) return &f;
  return nullptr;
}

DialogReply submit(Dialog& d, DialogEnv& env) {
  if (const DialogField* f = overLimit(d)) {
    std::string msg = !f->limitMessage.empty() ? f->limitMessage
                                               : strPrintf("输入过长（超过 %zu 字节），请缩短后再试。", f->limit);
    env.ui.messageBox(msg, "提示", MsgInfo);
    DialogReply stay;
    stay.focus = f->id;
    return stay;
  }
  if (d.validate) {
    DialogCheck check = d.validate(d);
    if (!check.ok) {
      env.ui.messageBox(check.message, check.caption, MsgInfo);
      DialogReply stay;
      stay.focus = check.focus;
      return stay;
    }
  }
  if (d.apply) return d.apply(d, env);
  d.result = 1;
  return DialogReply{true, false, false};
}

}  // namespace

DialogField* Dialog::field(int id) {
  for (DialogField& f : fields)
    if (f.id == id && id != 0) return &f;
  return nullptr;
}

const DialogField* Dialog::field(int id) const { return const_cast<Dialog*>(this)->field(id); }

const std::string& Dialog::text(int id) const {
  const DialogField* f = field(id);
  return f ? f->text : kNoText;
}

void Dialog::setText(int id, std::string_view t) {
  if (DialogField* f = field(id)) f->text = std::string(t);
}

DialogReply pressDialogButton(Dialog& d, int id, DialogEnv& env) {
  const DialogField* f = d.field(id);
  if (!f || f->kind != FieldKind::Button) return {};
  switch (f->role) {
    case ButtonRole::Submit: return submit(d, env);
    case ButtonRole::Cancel: return requestDialogClose(d, env);
    case ButtonRole::Command: return d.onCommand ? d.onCommand(d, id, env) : DialogReply{};
  }
  return {};
}

DialogReply requestDialogClose(Dialog& d, DialogEnv& env) {
  if (d.onClose) return d.onClose(d, env);
  d.result = d.cancelResult;
  return DialogReply{true, false, false};
}

int defaultButton(const Dialog& d) {
  for (const DialogField& f : d.fields)
    if (f.kind == FieldKind::Button && f.isDefault) return f.id;
  return 0;
}

Size fieldsExtent(const Dialog& d) {
  Size s;
  for (const DialogField& f : d.fields) {
    s.cx = std::max(s.cx, f.rect.right + kExtentMargin);
    s.cy = std::max(s.cy, f.rect.bottom + kExtentMargin);
  }
  return s;
}

Rect centredPanel(Size client, Size panel) {
  int x = std::max(0, (client.cx - panel.cx) / 2);
  int y = std::max(0, (client.cy - panel.cy) / 2);
  return Rect{x, y, x + panel.cx, y + panel.cy};
}

int runDialog(AppState& app, Dialog& d) {
  if (!app.win.dialogs) return d.failResult;
  ++app.win.modalDepth;
  int r = app.win.dialogs->run(d);
  --app.win.modalDepth;
  app.ui->requestRepaint();
  return r;
}

bool mainInputBlocked(const WindowState& win) { return win.modalDepth > 0; }

}  // namespace zor

// The dialog frame's rules, without a window: what each button role does, the byte limit of
// edits, a refusing validate, what closing does, and the main window's input block while a
// window that returns a result is open.
#include <gtest/gtest.h>

#include <string>

#include "app/app_state.h"
#include "app/dialog.h"
#include "fake_dialog_host.h"
#include "test_ui.h"

namespace zor {
namespace {

constexpr int kName = 10, kOk = 11, kCancel = 12, kFill = 13;

// A dialog with one limited edit and the three kinds of buttons; apply counts its runs.
struct Form {
  TestUi ui;
  FakeDialogHost host;
  DialogEnv env{ui, host};
  Dialog d;
  int applied = 0;

  Form() {
    DialogField name;
    name.id = kName;
    name.kind = FieldKind::Edit;
    name.limit = 6;
    name.rect = Rect{10, 10, 200, 36};
    DialogField ok;
    ok.id = kOk;
    ok.kind = FieldKind::Button;
    ok.role = ButtonRole::Submit;
    ok.isDefault = true;
    ok.rect = Rect{10, 50, 90, 80};
    DialogField cancel = ok;
    cancel.id = kCancel;
    cancel.role = ButtonRole::Cancel;
    cancel.isDefault = false;
    cancel.rect = Rect{100, 50, 180, 80};
    DialogField fill = cancel;
    fill.id = kFill;
    fill.role = ButtonRole::Command;
    fill.rect = Rect{190, 50, 270, 96};
    d.fields = {name, ok, cancel, fill};
    d.cancelResult = -1;
    d.validate = [](const Dialog& dlg) {
      return dlg.text(kName) == "x" ? DialogCheck::refuse("不能是 x", kName) : DialogCheck::pass();
    };
    d.apply = [this](Dialog& dlg, DialogEnv&) {
      ++applied;
      dlg.result = 7;
      return DialogReply{true, false, false};
    };
    d.onCommand = [](Dialog& dlg, int, DialogEnv&) {
      dlg.setText(kName, "填好");
      return DialogReply{false, true, false};
    };
  }
};

TEST(DialogFrame, SubmitChecksTheLimitThenValidatesThenApplies) {
  struct Case {
    const char* what;
    std::string text;
    bool closes;
    const char* box;  // the refusal shown, "" for none
  } cases[] = {
      {"within the limit", "abcdef", true, ""},
      {"one byte over the limit", "abcdefg", false, "输入过长（超过 6 字节），请缩短后再试。"},
      {"two CJK characters are six bytes", "测试", true, ""},
      {"three are nine", "测试用", false, "输入过长（超过 6 字节），请缩短后再试。"},
      {"validate refuses", "x", false, "不能是 x"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Form f;
    f.d.setText(kName, k.text);
    DialogReply r = pressDialogButton(f.d, kOk, f.env);
    EXPECT_EQ(r.close, k.closes);
    EXPECT_EQ(r.focus, k.closes ? 0 : kName);  // a refused entry gets the focus back
    EXPECT_EQ(f.applied, k.closes ? 1 : 0);
    EXPECT_EQ(f.d.result, k.closes ? 7 : 0);
    if (*k.box) {
      ASSERT_EQ(f.ui.boxes.size(), 1u);
      EXPECT_EQ(f.ui.boxes[0].text, k.box);
      EXPECT_EQ(f.ui.boxes[0].caption, "提示");
    } else {
      EXPECT_TRUE(f.ui.boxes.empty());
    }
  }
}

TEST(DialogFrame, ALimitMessageOfTheFieldReplacesTheGeneralOne) {
  Form f;
  f.d.field(kName)->limitMessage = "名称过长。";
  f.d.setText(kName, "abcdefgh");
  EXPECT_FALSE(pressDialogButton(f.d, kOk, f.env).close);
  ASSERT_EQ(f.ui.boxes.size(), 1u);
  EXPECT_EQ(f.ui.boxes[0].text, "名称过长。");
}

TEST(DialogFrame, CancelCommandAndUnknownButtons) {
  Form f;
  DialogReply cancel = pressDialogButton(f.d, kCancel, f.env);
  EXPECT_TRUE(cancel.close);
  EXPECT_EQ(f.d.result, -1);
  EXPECT_EQ(f.applied, 0);

  Form g;
  DialogReply fill = pressDialogButton(g.d, kFill, g.env);
  EXPECT_FALSE(fill.close);
  EXPECT_TRUE(fill.refresh);  // the window shows the new text
  EXPECT_EQ(g.d.text(kName), "填好");

  EXPECT_FALSE(pressDialogButton(g.d, kName, g.env).close);  // an edit is no button
  EXPECT_FALSE(pressDialogButton(g.d, 999, g.env).close);
  EXPECT_EQ(g.applied, 0);
}

TEST(DialogFrame, ClosingCancelsUnlessTheDialogDecides) {
  Form f;
  EXPECT_TRUE(requestDialogClose(f.d, f.env).close);
  EXPECT_EQ(f.d.result, -1);

  f.d.onClose = [](Dialog&, DialogEnv&) { return DialogReply{}; };  // a dialog that refuses to close
  f.d.result = 3;
  EXPECT_FALSE(requestDialogClose(f.d, f.env).close);
  EXPECT_FALSE(pressDialogButton(f.d, kCancel, f.env).close);  // its Cancel button follows the same rule
  EXPECT_EQ(f.d.result, 3);
}

TEST(DialogFrame, SubmitWithoutApplyClosesWithOne) {
  Form f;
  f.d.apply = nullptr;
  f.d.setText(kName, "ok");
  EXPECT_TRUE(pressDialogButton(f.d, kOk, f.env).close);
  EXPECT_EQ(f.d.result, 1);
}

TEST(DialogFrame, Geometry) {
  Form f;
  EXPECT_EQ(defaultButton(f.d), kOk);
  Size need = fieldsExtent(f.d);
  EXPECT_EQ(need.cx, 270 + 12);
  EXPECT_EQ(need.cy, 96 + 12);
  f.d.fields[1].isDefault = false;
  EXPECT_EQ(defaultButton(f.d), 0);

  EXPECT_EQ(centredPanel(Size{1180, 650}, Size{620, 300}), (Rect{280, 175, 900, 475}));
  // A main window smaller than the panel: the panel starts at the corner, never above or left.
  EXPECT_EQ(centredPanel(Size{500, 200}, Size{620, 300}), (Rect{0, 0, 620, 300}));
}

TEST(DialogFrame, TheMainWindowTakesNoInputWhileADialogRuns) {
  AppState app;
  TestUi ui;
  app.ui = &ui;
  Dialog d;
  d.failResult = 5;
  EXPECT_EQ(runDialog(app, d), 5);  // no platform: the dialog cannot be shown
  EXPECT_FALSE(mainInputBlocked(app.win));

  FakeDialogHost host;
  app.win.dialogs = &host;
  std::vector<bool> blocked;
  host.script = [&](Dialog& shown) {
    if (shown.className == "inner") return 0;
    blocked.push_back(mainInputBlocked(app.win));
    Dialog inner;  // a dialog opened from a dialog: still blocked after the inner one ends
    inner.className = "inner";
    runDialog(app, inner);
    blocked.push_back(mainInputBlocked(app.win));
    return 9;
  };
  int repaints = ui.repaints;
  EXPECT_EQ(runDialog(app, d), 9);
  EXPECT_EQ(blocked, (std::vector<bool>{true, true}));
  EXPECT_FALSE(mainInputBlocked(app.win));
  EXPECT_GT(ui.repaints, repaints);  // the main window shows what the dialog changed
}

}  // namespace
}  // namespace zor

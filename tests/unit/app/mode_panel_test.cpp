// The mode selection panel (cards, keys, close mark, hover, picture), the about window, and the
// menu-bar items that open them.
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/setup_dialogs.h"
#include "fake_dialog_host.h"
#include "recording_canvas.h"
#include "test_ui.h"

namespace zor {
namespace {

struct Panel {
  ModePanelState s;
  Dialog d = modePanelSpec(s);
  TestUi ui;
  FakeDialogHost host;
  DialogEnv env{ui, host};

  DialogReply in(DialogInput::Kind kind, int x = 0, int y = 0, int key = 0) {
    return d.onInput(d, DialogInput{kind, x, y, key}, env);
  }
};

TEST(ModePanel, ClicksAndKeysChoose) {
  struct Case {
    const char* what;
    DialogInput input;
    bool closes;
    int result;
  } cases[] = {
      {"card 1, top-left pixel", {DialogInput::LeftDown, 22, 58}, true, 1},
      {"card 2, centre", {DialogInput::LeftDown, 302, 140}, true, 2},
      {"card 3, bottom-right pixel", {DialogInput::LeftDown, 581, 221}, true, 3},
      {"below the cards", {DialogInput::LeftDown, 302, 222}, false, 0},
      {"between cards 1 and 2", {DialogInput::LeftDown, 200, 140}, false, 0},
      {"the close mark", {DialogInput::LeftDown, 600, 10}, true, 0},
      {"above the close mark's click area", {DialogInput::LeftDown, 600, 5}, false, 0},
      {"key 1", {DialogInput::Key, 0, 0, '1'}, true, 1},
      {"key 3", {DialogInput::Key, 0, 0, '3'}, true, 3},
      {"numeric pad 2", {DialogInput::Key, 0, 0, 0x62}, true, 2},
      {"key 4", {DialogInput::Key, 0, 0, '4'}, false, 0},
      {"Esc", {DialogInput::Key, 0, 0, KeyEscape}, true, 0},
      {"a release does not choose", {DialogInput::LeftUp, 302, 140}, false, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Panel p;
    DialogReply r = p.d.onInput(p.d, k.input, p.env);
    EXPECT_EQ(r.close, k.closes);
    EXPECT_EQ(p.d.result, k.result);
  }
}

TEST(ModePanel, HoverRepaintsOnlyWhenItChanges) {
  Panel p;
  EXPECT_TRUE(p.in(DialogInput::MouseMove, 100, 100).repaint);
  EXPECT_EQ(p.s.hover, 0);
  EXPECT_FALSE(p.in(DialogInput::MouseMove, 110, 120).repaint);  // same card
  EXPECT_TRUE(p.in(DialogInput::MouseMove, 420, 120).repaint);
  EXPECT_EQ(p.s.hover, 2);
  EXPECT_TRUE(p.in(DialogInput::MouseLeave).repaint);
  EXPECT_EQ(p.s.hover, -1);
  EXPECT_FALSE(p.in(DialogInput::MouseMove, 5, 5).repaint);  // outside every card, as before
}

TEST(ModePanel, Picture) {
  ModePanelState s;
  s.hover = 1;
  RecordingCanvas c(620, 300);
  paintModePanel(s, c);
  for (const char* t : {"请选择模式", "×", "① 历史交易", "分时图逐帧回放", "② K线训练", "独立训练账户", "③ 实时交易",
                        "填 IP 与端口", "按 1 键", "按 3 键", "点击卡片选择 · 按 1 / 2 / 3 键 · ESC 默认历史交易"})
    EXPECT_NE(c.findText(t), nullptr) << t;
  EXPECT_EQ(c.findText("请选择模式")->font, (Font{"Microsoft YaHei", 22, true}));
  EXPECT_EQ(c.findText("② K线训练")->rect, (Rect{216, 86, 388, 116}));
  EXPECT_EQ(c.findText("分时图逐帧回放")->color, rgb(24, 95, 165));

  int hoveredFills = 0, plainFills = 0, accentOutlines = 0;
  for (const Primitive& pr : c.primitives()) {
    if (pr.kind == Primitive::FillRect && pr.color == rgb(240, 246, 255)) ++hoveredFills;
    if (pr.kind == Primitive::FillRect && pr.color == rgb(252, 252, 252)) ++plainFills;
    if (pr.kind == Primitive::FrameRect && pr.color == rgb(186, 117, 23) && pr.width == 2) ++accentOutlines;
  }
  EXPECT_EQ(hoveredFills, 1);
  EXPECT_EQ(plainFills, 2);
  EXPECT_EQ(accentOutlines, 1);
}

TEST(ModePanel, WithoutAWindowTheProgramStartsInHistoryTrading) {
  AppState app;
  EXPECT_EQ(modeDialog(app), 1);
}

TEST(AboutWindow, TitleTextAndClose) {
  EXPECT_EQ(aboutTitleLine("1.0.0"), "澄川K线回放训练软件  v1.0.0");
  EXPECT_EQ(aboutTitleLine(""), "澄川K线回放训练软件");

  Dialog d = aboutWindowSpec("2.3.4");
  EXPECT_EQ(d.className, "ZORABOUTCLS");
  EXPECT_EQ(d.title, "关于 - 澄川K线回放训练软件");
  ASSERT_EQ(d.fields.size(), 3u);
  EXPECT_EQ(d.fields[0].label, "澄川K线回放训练软件  v2.3.4");
  const DialogField& text = d.fields[1];
  EXPECT_EQ(text.kind, FieldKind::TextBox);
  EXPECT_EQ(text.rect, (Rect{20, 48, 620, 458}));
  ASSERT_EQ(aboutLines().size(), 19u);
  EXPECT_EQ(text.text.substr(0, text.text.find("\r\n")), "【软件功能】");
  EXPECT_NE(text.text.find("按“现状”提供"), std::string::npos);
  EXPECT_NE(text.text.find("\r\n\r\n【使用说明】\r\n"), std::string::npos);  // empty lines stay

  TestUi ui;
  FakeDialogHost host;
  DialogEnv env{ui, host};
  EXPECT_EQ(defaultButton(d), kAboutCloseButton);
  EXPECT_TRUE(pressDialogButton(d, kAboutCloseButton, env).close);
}

TEST(MenuBar, ModeAndAboutItemsOpenTheirWindows) {
  AppState app;
  TestUi ui;
  FakeDialogHost host;
  app.ui = &ui;
  app.win.dialogs = &host;
  std::vector<bool> blocked;
  host.script = [&](Dialog& d) {
    blocked.push_back(mainInputBlocked(app.win));
    return d.className == kModePanelClass ? 2 : d.cancelResult;
  };
  openMenuBarItem(app, MenuMode, 300);
  openMenuBarItem(app, MenuAbout, 500);
  // K-line training asks for the game's length before the game starts.
  EXPECT_EQ(host.opened, (std::vector<std::string>{"ZORMODESEL", "ZORTRAINDAYS", "ZORABOUTCLS"}));
  EXPECT_EQ(blocked, (std::vector<bool>{true, true, true}));
  EXPECT_FALSE(mainInputBlocked(app.win));
}

}  // namespace
}  // namespace zor

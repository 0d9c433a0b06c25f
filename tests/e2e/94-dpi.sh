# The program at 96 and at 144 DPI (the system DPI Wine reads from LogPixels): the data dialog,
# a refusal box, the mode panel over the quote list and the about window, each as a
# screenshot. Sizes are physical pixels, so only what the system draws grows: the dialogs'
# captions and borders, the boxes and the scroll bars; a dialog then grows so that its fields
# keep their room.
gen="$ZOR_BUILD/tools/gen_market/gen_market.exe"
[ -f "$gen" ] || fail "build gen_market first"
(cd "$E2E_DIR" && wine "$gen" --out market --count 30 --years 1 --minute-days 2 --layouts dat </dev/null >>"$E2E_DIR/wine.log" 2>&1)

set_dpi() {
  local hex
  hex=$(printf '0x%x' "$1")
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$hex" /f </dev/null >>"$E2E_DIR/wine.log" 2>&1
  wine reg add 'HKCC\Software\Fonts' /v LogPixels /t REG_DWORD /d "$hex" /f </dev/null >>"$E2E_DIR/wine.log" 2>&1
}
# The prefix is shared with the other scenarios: back to 96 however this one ends.
trap 'set_dpi 96' EXIT

for dpi in 96 144; do
  set_dpi "$dpi"
  d=$(app_dir "app$dpi")
  cp -r "$E2E_DIR/market" "$d/"
  app_start "$d"
  zc wait-class ZORCFGCLS 30 >/dev/null
  rect=$(zc dlg-rect ZORCFGCLS)
  echo "$dpi DPI data dialog: $rect"
  # The fields reach x 524 and y 280; 12 pixels of margin right and below.
  [ "$(echo "$rect" | awk '{print $6}')" -ge 536 ] || fail "$dpi DPI: data dialog too narrow: $rect"
  [ "$(echo "$rect" | awk '{print $7}')" -ge 292 ] || fail "$dpi DPI: data dialog too low: $rect"
  sleep 0.3
  shot "data-dialog-$dpi"
  zc set-text ZORCFGCLS 1001 ""
  zc press ZORCFGCLS 1005
  zc wait-msgbox 10 >/dev/null
  sleep 0.3
  shot "refusal-box-$dpi"
  zc dismiss
  zc set-text ZORCFGCLS 1001 'market\dat'
  zc press ZORCFGCLS 1005
  zc wait-class ZORMODESEL 60 >/dev/null
  sleep 0.5
  shot "mode-panel-$dpi"
  zc dlg-key ZORMODESEL esc
  zc gone-class ZORMODESEL 5
  zc click 900 6
  zc wait-class ZORABOUTCLS 10 >/dev/null
  rect=$(zc dlg-rect ZORABOUTCLS)
  echo "$dpi DPI about window: $rect"
  [ "$(echo "$rect" | awk '{print $6}')" -ge 632 ] || fail "$dpi DPI: about window too narrow: $rect"
  [ "$(echo "$rect" | awk '{print $7}')" -ge 518 ] || fail "$dpi DPI: about window too low: $rect"
  sleep 0.3
  shot "about-$dpi"
  zc press ZORABOUTCLS 1102
  zc gone-class ZORABOUTCLS 5
  zc close
  app_wait_exit 20
  expect_eq "$APP_RC" 0 "$dpi DPI: exit code"
done

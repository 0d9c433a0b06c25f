# Window placement: opened where zor.cfg says, saved after a move, on maximise and restore
# (caption double-click and the maximise button) and at the end; a placement on no monitor
# opens at the default rectangle, not maximised.
d=$(app_dir app)
mkdir -p "$d/data"
printf 'DAT_DIR=data\nWIN_X=100\nWIN_Y=80\nWIN_W=900\nWIN_H=600\n' >"$d/zor.cfg"
app_start "$d"
boxes_until_window 30
expect_eq "$(zc rect)" "100 80 900 600" "opened at the saved rectangle"

zc move 150 90 1000 650
wait_in "$d/zor.cfg" "WIN_X=150" 5
expect_in "$d/zor.cfg" "WIN_W=1000"

zc caption-dblclick
sleep 0.5
expect_eq "$(zc rect | awk '{print $5}')" "max" "double-click on the caption maximises"
wait_in "$d/zor.cfg" "WIN_MAX=1" 5
shot maximised
zc caption-dblclick
sleep 0.5
expect_eq "$(zc rect)" "150 90 1000 650" "restored"
wait_in "$d/zor.cfg" "WIN_MAX=0" 5

zc click 901 1  # the maximise caption button
sleep 0.5
expect_eq "$(zc rect | awk '{print $5}')" "max" "maximise button"
zc close
app_wait_exit 20
expect_in "$d/zor.cfg" "WIN_MAX=1"
expect_in "$d/zor.cfg" "WIN_X=150"

app_start "$d"
boxes_until_window 30
expect_eq "$(zc rect | awk '{print $5}')" "max" "reopened maximised"
zc close
app_wait_exit 20

# Saved on a monitor that is gone: the default 1180 x 720 centred in the screen.
sed -i 's/^WIN_X=.*/WIN_X=5000/' "$d/zor.cfg"
app_start "$d"
boxes_until_window 30
expect_eq "$(zc rect)" "$(( (E2E_SCREEN_W - 1180) / 2 )) $(( (E2E_SCREEN_H - 720) / 2 )) 1180 720" "default placement, not maximised"
zc close
app_wait_exit 20

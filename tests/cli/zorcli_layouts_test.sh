#!/usr/bin/env bash
# The generated market read through zorcli from each directory layout: instruments, daily bars,
# minute bars and a formula's values agree wherever the layouts hold the same data.
#   zorcli_layouts_test.sh GEN_MARKET ZORCLI
set -euo pipefail
gen=$1
zorcli=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$gen" --out "$work/m" --count 12 --years 1 --minute-days 5 >/dev/null

dat=(--dat "$work/m/dat")
vip=(--lc1 "$work/m/vipdoc")
ths=(--lc1 "$work/m/ths/history")
fails=0
same() {  # same LABEL FILE_A FILE_B
  if ! cmp -s "$2" "$3"; then
    echo "FAIL: $1"
    diff "$2" "$3" | head -5
    fails=$((fails + 1))
  fi
}
# near LABEL FILE_A FILE_B: the same CSV cells, numbers within 1e-5 relative (a DAT file keeps
# prices as 32-bit floats, a .day file as whole cents)
near() {
  if ! awk -F, -v label="$1" '
      NR == FNR { a[FNR] = $0; n = FNR; next }
      {
        split(a[FNR], x, ","); m = split($0, y, ",")
        for (i = 1; i <= m; i++) {
          if (x[i] == y[i]) continue
          if (x[i] == "" || y[i] == "" || x[i] !~ /^-?[0-9.e+-]+$/) { bad = 1; break }
          d = x[i] - y[i]; if (d < 0) d = -d
          s = x[i] < 0 ? -x[i] : x[i]
          if (d > 1e-5 * (1 + s)) { bad = 1; break }
        }
        if (bad) { print "line " FNR ": " a[FNR] " | " $0; exit 1 }
      }
      END { if (!bad && FNR != n) { print "line counts differ"; exit 1 } }' "$2" "$3"; then
    echo "FAIL: $1"
    fails=$((fails + 1))
  fi
}
# cols LIST FILE: the given CSV columns of FILE
cols() { cut -d, -f"$1" "$2"; }

# The instrument table (without the load-order number, which counts the dropped codes too).
"$zorcli" list "${dat[@]}" | cut -d, -f2- >"$work/list.dat"
"$zorcli" list "${vip[@]}" | cut -d, -f2- >"$work/list.vip"
"$zorcli" list "${ths[@]}" | cut -d, -f2- >"$work/list.ths"
"$zorcli" list "${dat[@]}" "${vip[@]}" | cut -d, -f2- >"$work/list.datvip"
"$zorcli" list "${dat[@]}" "${ths[@]}" | cut -d, -f2- >"$work/list.datths"
[ "$(wc -l <"$work/list.dat")" -gt 10 ] || { echo "FAIL: too few instruments"; exit 1; }
same "DAT+vipdoc lists what DAT lists" "$work/list.dat" "$work/list.datvip"
same "DAT+THS lists what DAT lists" "$work/list.dat" "$work/list.datths"
# THS names are shown as the THS name files write them; codes, boards and quotes agree.
same "THS quotes" <(cols 1,2,4,5,6 "$work/list.dat") <(cols 1,2,4,5,6 "$work/list.ths")
# vipdoc alone knows no names, so it cannot drop index-named codes: it lists at least DAT's.
missing=$(comm -23 <(cols 1,2,5,6 "$work/list.dat" | sort) <(cols 1,2,5,6 "$work/list.vip" | sort))
[ -z "$missing" ] || { echo "FAIL: vipdoc lacks: $missing"; fails=$((fails + 1)); }

# Bars of every listed instrument.
while IFS=, read -r code _; do
  [ "$code" = code ] && continue
  for p in 0 1 2; do
    "$zorcli" bars "${dat[@]}" "$code" "$p" >"$work/b.dat"
    "$zorcli" bars "${vip[@]}" "$code" "$p" >"$work/b.vip"
    # .day and .lc1 store amounts as 32-bit floats and THS as 28-bit packed numbers; prices and
    # volumes are exact in every layout.
    same "$code period $p: DAT and vipdoc" <(cols 1-6 "$work/b.dat") <(cols 1-6 "$work/b.vip")
  done
  # A THS directory holds only the minute days; its daily bars are built from them.
  "$zorcli" bars "${ths[@]}" "$code" 0 | tail -n +2 >"$work/d.ths"
  n=$(wc -l <"$work/d.ths")
  "$zorcli" bars "${dat[@]}" "$code" 0 | tail -n "$n" >"$work/d.dat"
  same "$code daily: THS days are DAT's last days" <(cols 1-6 "$work/d.dat") <(cols 1-6 "$work/d.ths")
  # Minute periods: the real minute days agree. (The older days are drawn from the daily bar,
  # whose float and integer encodings differ in the last bits, so their shapes may too.)
  for p in 7 5 3; do
    "$zorcli" bars "${ths[@]}" "$code" "$p" | tail -n +2 >"$work/m.ths"
    n=$(wc -l <"$work/m.ths")
    "$zorcli" bars "${dat[@]}" "$code" "$p" | tail -n "$n" >"$work/m.dat"
    "$zorcli" bars "${vip[@]}" "$code" "$p" | tail -n "$n" >"$work/m.vip"
    same "$code period $p: THS minutes are DAT's" <(cols 1-6 "$work/m.dat") <(cols 1-6 "$work/m.ths")
    same "$code period $p: vipdoc minutes are DAT's" <(cols 1-6 "$work/m.dat") <(cols 1-6 "$work/m.vip")
  done
  macd='DIF:EMA(CLOSE,12)-EMA(CLOSE,26);DEA:EMA(DIF,9);MACD:(DIF-DEA)*2;'
  near "$code MACD: DAT and vipdoc" <("$zorcli" calc "${dat[@]}" "$code" 0 --text "$macd") \
    <("$zorcli" calc "${vip[@]}" "$code" 0 --text "$macd")
done <"$work/list.dat"

# Command-line conventions: a relative directory is taken from the current directory, and a
# missing one is an error on standard error with exit status 1 (no talk of a window).
(cd "$work" && "$zorcli" list --dat m/dat | cut -d, -f2-) >"$work/list.rel"
same "a relative --dat is taken from the current directory" "$work/list.dat" "$work/list.rel"
set +e
(cd "$work" && "$zorcli" list --dat nowhere >"$work/none.out" 2>"$work/none.err")
status=$?
set -e
[ "$status" -eq 1 ] || { echo "FAIL: a missing directory exits with $status, not 1"; fails=$((fails + 1)); }
[ ! -s "$work/none.out" ] || { echo "FAIL: a missing directory printed a table"; fails=$((fails + 1)); }
grep -q -- "--dat DIR" "$work/none.err" || { echo "FAIL: the error does not say how to give a directory"; fails=$((fails + 1)); }
if grep -q "窗口" "$work/none.err"; then echo "FAIL: the error speaks of a window"; fails=$((fails + 1)); fi

[ "$fails" -eq 0 ] || { echo "$fails mismatch(es)"; exit 1; }
echo "zorcli agrees across layouts"

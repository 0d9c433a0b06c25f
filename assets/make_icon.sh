#!/bin/bash
# Draws the program icon (candlesticks on a dark tile) at 16, 32 and 48 pixels and packs them
# into zor.ico. Needs ImageMagick; the result is committed, so builds do not run this.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for s in 16 32 48; do
  u=$(awk "BEGIN{print $s/16}")
  convert -size ${s}x${s} xc:none \
    -fill '#1a1d24' -draw "roundrectangle 0,0 $((s-1)),$((s-1)) $(awk "BEGIN{print 3*$u}"),$(awk "BEGIN{print 3*$u}")" \
    -stroke '#e83030' -strokewidth "$u" -draw "line $(awk "BEGIN{print 4.5*$u}"),$(awk "BEGIN{print 2*$u}") $(awk "BEGIN{print 4.5*$u}"),$(awk "BEGIN{print 12*$u}")" \
    -stroke none -fill '#e83030' -draw "rectangle $(awk "BEGIN{print 3*$u}"),$(awk "BEGIN{print 4*$u}") $(awk "BEGIN{print 6*$u-1}"),$(awk "BEGIN{print 10*$u-1}")" \
    -stroke '#20c050' -strokewidth "$u" -draw "line $(awk "BEGIN{print 11.5*$u}"),$(awk "BEGIN{print 5*$u}") $(awk "BEGIN{print 11.5*$u}"),$(awk "BEGIN{print 14*$u}")" \
    -stroke none -fill '#20c050' -draw "rectangle $(awk "BEGIN{print 10*$u}"),$(awk "BEGIN{print 7*$u}") $(awk "BEGIN{print 13*$u-1}"),$(awk "BEGIN{print 12*$u-1}")" \
    PNG32:"$tmp/icon$s.png"
done
convert "$tmp/icon16.png" "$tmp/icon32.png" "$tmp/icon48.png" zor.ico

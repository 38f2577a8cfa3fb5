#!/bin/sh
# Builds the window renderer when needed and renders every window at 1x and
# 2x (192 dpi) into OUTDIR/1x and OUTDIR/2x, and on a small 1024x768 screen
# into OUTDIR/small.
#   tools/render_windows.sh OUTDIR [BUILDDIR]
set -eu
if [ $# -lt 1 ]; then
  echo "usage: $0 OUTDIR [BUILDDIR]" >&2
  exit 2
fi
out=$1
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$source_dir/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$source_dir" -B "$build"
fi
cmake --build "$build" --target gw20render -j2
export QT_QPA_PLATFORM=offscreen
"$build/tools/gw20render" "$out/1x"
"$build/tools/gw20render" "$out/2x" --scale 2
"$build/tools/gw20render" "$out/small" --screen 1024x768

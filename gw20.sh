#!/usr/bin/env bash
# The two commands of this repository:
#   ./gw20.sh run              install what is missing, build, start the simulated
#                              controller as COM1 and open the utility on it
#   ./gw20.sh test [--sanitize]  install what is missing, build with warnings as
#                              errors, run the whole test suite headless; fails
#                              too when a C++ file is not laid out as
#                              .clang-format says
# Extra: ./gw20.sh render [DIR]  render every window to PNG (offscreen)
#        ./gw20.sh bench [--quick]  build optimised and print the benchmark tables
#                              (docs/PERFORMANCE.md); --quick: two runs of the
#                              main table and the memory of gw20config only
#        ./gw20.sh fuzz [SECONDS]  build the libFuzzer targets with clang and run
#                              each for SECONDS (60); non-zero when one crashed
#        ./gw20.sh package [--check]  build optimised and hardened (in build/package)
#                              and make the Debian package of gw20config, gw20cli
#                              and gw20sim with the desktop entry, manual pages and
#                              completion; prints the path of the .deb to install
#                              with: sudo apt install ./build/package/gw20-*.deb;
#                              --check: then lintian and appstreamcli on it, non-zero
#                              on any error or warning (docs/PACKAGING.md)
#        ./gw20.sh format [FILE...]  lay out every C++ file (or the C++ files
#                              among FILE) as .clang-format says
#        ./gw20.sh lint [--changed]  run clang-tidy with the checks of .clang-tidy
#                              over every C++ source file; --changed: only over
#                              those changed since the branch left origin/main
#                              (on main, since the last tag; with neither, all);
#                              non-zero on any finding
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
jobs=2

# Debian packages the build, the tests and the run need; ser2net is the
# serial device server the network console is tested through.
packages=(cmake g++ make clang-format qt6-base-dev qt6-serialport-dev qt6-svg-dev libgtest-dev
          nlohmann-json3-dev libgl-dev fonts-dejavu-core xvfb xauth ser2net)

# What the benchmark needs besides: keystrokes for gw20config on the virtual display.
bench_packages=(xdotool)

# What fuzzing needs besides: clang, libFuzzer and the sanitizer runtimes, and
# the symbolizer that turns a crash's stack into files and lines.
fuzz_packages=(cmake make clang libclang-rt-dev llvm nlohmann-json3-dev)

# What packaging needs besides: dpkg-shlibdeps (dpkg-dev) derives the
# package's dependencies from the libraries the programs link, and CPack finds
# the programs among the files with `file`. The check: lintian, and
# appstreamcli (appstream) for the metainfo.
package_packages=(dpkg-dev file)
package_check_packages=(lintian appstream)

say() { printf '%s\n' "gw20: $*" >&2; }

install_missing() {  # install_missing [PACKAGES...]; default: the build's packages
  local wanted=("$@") missing=()
  [ ${#wanted[@]} -eq 0 ] && wanted=("${packages[@]}")
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build() {  # build DIR TARGETS [cmake options...]; TARGETS "all" or a comma list
  local dir="$1" targets="$2"; shift 2
  cmake -S "$here" -B "$dir" -DCMAKE_BUILD_TYPE=Debug "$@" >/dev/null
  if [ "$targets" = all ]; then
    cmake --build "$dir" -j"$jobs"
  else
    cmake --build "$dir" -j"$jobs" --target ${targets//,/ }
  fi
}

# The C++ files of the repository, one a line: clang-format takes any file it
# is given for C++ and would lay out a CMake file as if it were code.
source_files() {
  if git -C "$here" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$here" ls-files '*.cpp' '*.h'
  else
    (cd "$here" && find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
  fi
}

# True when every C++ file is as the repository's .clang-format lays it out;
# otherwise names the files that are not.
check_format() {
  local unformatted
  unformatted="$(cd "$here" && source_files | xargs clang-format --dry-run 2>&1 |
    sed -n 's/^\(.*\):[0-9]*:[0-9]*: warning: code should be clang-formatted.*/\1/p' | sort -u)"
  [ -z "$unformatted" ] && return 0
  say "not laid out as .clang-format says (./gw20.sh format fixes it):"
  printf '  %s\n' $unformatted >&2
  return 1
}

cmd_format() {
  install_missing
  if [ $# -eq 0 ]; then
    (cd "$here" && source_files | xargs clang-format -i)
    say "every C++ file formatted"
    return
  fi
  local files=() f
  for f in "$@"; do
    [ -f "$f" ] || { say "format: no such file: $f"; exit 2; }
    case "$f" in
      *.cpp | *.h) files+=("$f") ;;
      *) say "format: $f is not a C++ file, left as it is" ;;
    esac
  done
  [ ${#files[@]} -eq 0 ] || clang-format -i "${files[@]}"
  say "${#files[@]} C++ file(s) formatted"
}

cmd_test() {
  local dir="$here/build/test" opts=(-DGW20_WERROR=ON)
  if [ "${1:-}" = "--sanitize" ]; then
    dir="$here/build/sanitize"
    opts+=(-DGW20_SANITIZE=ON)
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  fi
  install_missing
  # Checked first but reported last, so a layout slip does not hide the tests.
  local formatted=0
  check_format || formatted=1
  build "$dir" all "${opts[@]}"
  export QT_QPA_PLATFORM=offscreen
  cd "$dir"
  ctest --output-on-failure -j"$jobs" --timeout 300
  [ "$formatted" -eq 0 ] || { say "the tests passed, but some files are not formatted (listed above)"; exit 1; }
}

cmd_run() {
  install_missing
  # The tree ./gw20.sh test builds: after a test run nothing is left to compile.
  local dir="$here/build/test"
  build "$dir" gw20config,gw20sim -DGW20_WERROR=ON
  # Global, not local: the exit trap runs after this function has returned.
  run_state="${XDG_RUNTIME_DIR:-/tmp}/gw20-$$"
  mkdir -p "$run_state"
  local link="$run_state/com1"
  "$dir/sim/gw20sim" --link "$link" --eeprom "$run_state/eeprom.txt" --transcript "$run_state/transcript.txt" \
    --modules "01:RA412:0D:00,03:RA850:08:02,0A:RA312:40:00" &
  run_sim=$!
  trap 'kill "$run_sim" 2>/dev/null; wait "$run_sim" 2>/dev/null; rm -rf "$run_state"' EXIT
  trap 'exit 130' INT TERM  # so the exit trap stops the simulator on Ctrl-C too
  for _ in $(seq 100); do [ -e "$link" ] && break; sleep 0.05; done
  [ -e "$link" ] || { say "the simulated controller did not start"; exit 1; }
  say "simulated controller on COM1 ($link); close the window (or press Ctrl-C here) to stop both"
  GW20_COM1="$link" "$dir/app/qt/gw20config" "$@"
}

cmd_render() {
  install_missing
  local dir="$here/build/test"
  build "$dir" gw20render -DGW20_WERROR=ON
  local out="${1:-$here/out/windows}"
  QT_QPA_PLATFORM=offscreen "$dir/tools/gw20render" "$out"
  QT_QPA_PLATFORM=offscreen "$dir/tools/gw20render" --scale 2 "$out/2x"
  say "windows rendered into $out"
}

cmd_bench() {
  install_missing
  install_missing "${bench_packages[@]}"
  local dir="$here/build/bench"
  build "$dir" console_wait_bench,connect_bench,batch_bench,gw20cli,gw20config,gw20sim -DCMAKE_BUILD_TYPE=Release
  QT_QPA_PLATFORM=offscreen "$dir/bench/console_wait_bench"
  QT_QPA_PLATFORM=offscreen "$dir/bench/connect_bench" "$@"
  # A line of controllers at once: 1, 4 and 8 (--quick: 1 and 4).
  "$dir/bench/batch_bench" "$@"
  "$here/bench/gw20config_memory.sh" "$dir/app/qt/gw20config" "$dir/sim/gw20sim"
}

cmd_fuzz() {
  local seconds="${1:-60}"
  [[ "$seconds" =~ ^[1-9][0-9]*$ ]] || { say "fuzz: SECONDS must be a whole number above 0"; exit 2; }
  install_missing "${fuzz_packages[@]}"
  local dir="$here/build/fuzz"
  build "$dir" gw20_fuzz -DCMAKE_CXX_COMPILER=clang++ -DGW20_FUZZ=ON -DGW20_WERROR=ON
  export UBSAN_OPTIONS="print_stacktrace=1"
  local failed=() seeds t
  # Every target has its seeds in tests/fuzz/corpus/NAME.
  for seeds in "$here"/tests/fuzz/corpus/*/; do
    t="$(basename "$seeds")"
    # New inputs go to the scratch corpus (listed first); the seeds are only read.
    local work="$dir/corpus/$t" found="$dir/found/$t" log="$dir/logs/$t.log" rc=0
    rm -rf "$found"
    mkdir -p "$work" "$found" "$dir/logs"
    say "fuzzing $t for ${seconds}s"
    "$dir/tests/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$found/" "$work" "$seeds" >"$log" 2>&1 || rc=$?
    local runs
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    [ -n "$runs" ] || runs="$(grep -oE '^#[0-9]+' "$log" | tail -n 1 | tr -d '#')"
    if [ "$rc" -eq 0 ] && [ -z "$(ls -A "$found")" ]; then
      say "$t: ${runs:-0} executions, nothing found"
      continue
    fi
    failed+=("$t")
    say "$t: ${runs:-0} executions, FOUND A CRASH (log $log):"
    grep -E 'ERROR|runtime error|check failed|Test unit written' "$log" | head -n 5 >&2 || true
    local input
    for input in "$found"/*; do
      [ -e "$input" ] && say "  reproduce: $dir/tests/fuzz/fuzz_$t $input"
    done
  done
  if [ ${#failed[@]} -gt 0 ]; then
    say "crashes in: ${failed[*]}"
    exit 1
  fi
  say "no target found anything"
}

# The C++ source files clang-tidy reads, one a line: every one the build
# compiles (the fuzz targets build only with clang, and are left out).
lint_sources() { git -C "$here" ls-files '*.cpp' | grep -v '^tests/fuzz/'; }

# The commit `lint --changed` compares with: where this branch left
# origin/main, or on main itself (or with no origin/main) the last tag.
# Nothing when there is neither, or when the history is too shallow to say.
lint_base() {
  local head base
  head="$(git -C "$here" rev-parse HEAD)"
  base="$(git -C "$here" merge-base HEAD origin/main 2>/dev/null)" || base=""
  if [ -z "$base" ] || [ "$base" = "$head" ]; then
    base="$(git -C "$here" describe --tags --abbrev=0 2>/dev/null)" || base=""
  fi
  printf '%s\n' "$base"
}

# The sources of lint_sources that a change since BASE can give a new
# finding in: each changed source, and each that includes a changed header.
# All of them when .clang-tidy itself changed.
changed_lint_sources() {
  local base="$1" changed file
  changed="$(git -C "$here" diff --name-only --diff-filter=d "$base" -- '*.cpp' '*.h' .clang-tidy)"
  if grep -qx '.clang-tidy' <<<"$changed"; then
    lint_sources
    return
  fi
  {
    grep -E '\.cpp$' <<<"$changed" || true
    for file in $(grep -E '\.h$' <<<"$changed" || true); do
      git -C "$here" grep -lF "#include \"$file\"" -- '*.cpp' || true
    done
  } | sort -u | grep -Fxf <(lint_sources) || true
}

cmd_lint() {
  local files
  case "${1:-}" in
    "") files="$(lint_sources)" ;;
    --changed)
      local base
      base="$(lint_base)"
      if [ -z "$base" ]; then
        say "lint: no origin/main to branch from and no tag: the whole tree"
        files="$(lint_sources)"
      else
        files="$(changed_lint_sources "$base")"
        say "lint: $(grep -c . <<<"$files" || true) source file(s) changed since $(git -C "$here" rev-parse --short "$base")"
      fi
      ;;
    *) say "lint: unknown option $1 (only --changed)"; exit 2 ;;
  esac
  if [ -z "$files" ]; then
    say "lint: nothing to lint"
    return
  fi
  install_missing
  install_missing clang-tidy
  local dir="$here/build/lint"
  # Only the compile commands are needed: nothing is built.
  cmake -S "$here" -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
  local log="$dir/lint.log"
  (cd "$here" && xargs -P"$jobs" -n8 clang-tidy -p "$dir" --quiet <<<"$files") >"$log" 2>&1 || true
  if grep -qE '(warning|error):' "$log"; then
    grep -E '(warning|error):' "$log" | sort -u >&2
    say "lint: findings above (full log $log)"
    exit 1
  fi
  say "lint: nothing found"
}

cmd_package() {
  local check=0
  case "${1:-}" in
    "") ;;
    --check) check=1 ;;
    *) say "package: unknown option $1 (only --check)"; exit 2 ;;
  esac
  install_missing "${packages[@]}" "${package_packages[@]}"
  [ "$check" -eq 1 ] && install_missing "${package_check_packages[@]}"
  local dir="$here/build/package"
  # The hardening Debian builds its packages with (stack protector, fortified
  # functions, read-only relocations bound at start), as dpkg-buildflags gives
  # it; the test, sanitizer and fuzz builds keep their own flags.
  local cxxflags ldflags
  cxxflags="$(cd "$here" && DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS) $(
    cd "$here" && DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS)"
  ldflags="$(cd "$here" && DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)"
  # Only what the package holds: installing no longer builds everything
  # (tests and benchmarks) first. Without warnings as errors and without
  # -Wrestrict: GCC 12's optimiser reports overlaps in std::string
  # concatenation that cannot happen.
  build "$dir" gw20config,gw20cli,gw20sim,gw20_icons,gw20_docs -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "-DCMAKE_CXX_FLAGS=$cxxflags -Wno-restrict" \
    "-DCMAKE_EXE_LINKER_FLAGS=$ldflags"
  rm -f "$dir"/gw20-*.deb
  (cd "$dir" && cpack -G DEB >/dev/null)
  local deb
  deb="$(ls "$dir"/gw20-*.deb)"
  if [ "$check" -eq 1 ]; then
    check_package "$deb" "$dir"
  fi
  say "package built; install it with: sudo apt install $deb"
  echo "$deb"
}

# check_package DEB DIR: lintian on the package and appstreamcli on the
# metainfo it holds; fails on any error or warning. Overrides live in
# packaging/lintian-overrides, each with its reason.
check_package() {
  local deb="$1" dir="$2"
  say "lintian $(basename "$deb")"
  lintian --fail-on error,warning --display-info --show-overrides "$deb" ||
    { say "lintian found errors or warnings (above)"; exit 1; }
  local unpacked="$dir/check"
  rm -rf "$unpacked"
  dpkg-deb -x "$deb" "$unpacked"
  local metainfo
  metainfo="$(ls "$unpacked"/usr/share/metainfo/*.metainfo.xml)"
  say "appstreamcli validate $(basename "$metainfo")"
  # --no-net: the screenshot's address is where it will be published, and CI
  # has no network to fetch it.
  appstreamcli validate --no-net --pedantic "$metainfo" ||
    { say "the metainfo is not valid (above)"; exit 1; }
  rm -rf "$unpacked"
  say "package check passed"
}

case "${1:-}" in
  run) shift; cmd_run "$@" ;;
  test) shift; cmd_test "$@" ;;
  render) shift; cmd_render "$@" ;;
  bench) shift; cmd_bench "$@" ;;
  fuzz) shift; cmd_fuzz "$@" ;;
  package) shift; cmd_package "$@" ;;
  format) shift; cmd_format "$@" ;;
  lint) shift; cmd_lint "$@" ;;
  *) echo "usage: $0 run | test [--sanitize] | render [DIR] | bench [--quick] | fuzz [SECONDS] | package [--check] | format [FILE...] | lint [--changed]" >&2; exit 2 ;;
esac

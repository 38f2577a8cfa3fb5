#!/usr/bin/env bash
# Every option a program's --help names is in its manual page, and every
# option of gw20cli's --help is one its bash completion offers: a new option
# must not reach the package undocumented.
# usage: options_documented_test.sh GW20CLI GW20CLI_PAGE GW20SIM GW20SIM_PAGE COMPLETION
set -uo pipefail
gw20cli="$1" cli_page="$2" gw20sim="$3" sim_page="$4" completion="$5"

passed=0 failed=0
# options PROGRAM: the long options its --help names, one a line.
options() { "$1" --help | grep -oE -- '--[a-z0-9][a-z0-9-]*' | sort -u; }
# in_page PAGE: the long options the roff source names (\- is a hyphen there).
in_page() { sed 's/\\-/-/g' "$1" | grep -oE -- '--[a-z0-9][a-z0-9-]*' | sort -u; }

check() {  # check WHAT WANTED_LIST FOUND_LIST
  local missing
  missing="$(comm -23 <(printf '%s\n' "$2") <(printf '%s\n' "$3"))"
  if [ -z "$missing" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $1 lacks:" $missing
  fi
}

cli_options="$(options "$gw20cli")"
sim_options="$(options "$gw20sim")"
[ -n "$cli_options" ] && [ -n "$sim_options" ] || { echo "FAILED: no options in --help"; exit 1; }
check "the gw20cli manual page" "$cli_options" "$(in_page "$cli_page")"
check "the gw20sim manual page" "$sim_options" "$(in_page "$sim_page")"
check "the gw20cli completion" "$cli_options" "$(grep -oE -- '--[a-z0-9][a-z0-9-]*' "$completion" | sort -u)"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

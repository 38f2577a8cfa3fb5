#!/usr/bin/env bash
# Every option gw20sim's --help names is in its manual page: a new option
# must not reach the package undocumented. (gw20cli's usage, manual page and
# completion are held to its command table by CliCommands.)
# usage: options_documented_test.sh GW20SIM GW20SIM_PAGE
set -uo pipefail
gw20sim="$1" sim_page="$2"

# The long options of a text; in roff source \- is a hyphen.
options() { sed 's/\\-/-/g' | grep -oE -- '--[a-z0-9][a-z0-9-]*' | sort -u; }

wanted="$("$gw20sim" --help | options)"
[ -n "$wanted" ] || { echo "FAILED: no options in gw20sim --help"; exit 1; }
missing="$(comm -23 <(printf '%s\n' "$wanted") <(options <"$sim_page"))"
if [ -n "$missing" ]; then
  echo "FAILED: the gw20sim manual page lacks:" $missing
  exit 1
fi
echo "1 passed, 0 failed"

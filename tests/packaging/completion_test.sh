#!/usr/bin/env bash
# The bash completion of gw20cli, called as bash calls it: COMP_WORDS and
# COMP_CWORD set, the answer read from COMPREPLY.
# usage: completion_test.sh COMPLETION_FILE
set -uo pipefail
source "$1"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
mkdir out.d
touch plan.json record.json notes.txt

passed=0 failed=0
# expect "WANTED WORDS" WORD... : completing the last word gives exactly WANTED.
expect() {
  local wanted="$1"; shift
  COMP_WORDS=(gw20cli "$@")
  COMP_CWORD=$(($# ))
  COMPREPLY=()
  _gw20cli
  local got
  got="$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//')"
  wanted="$(printf '%s\n' $wanted | sort | tr '\n' ' ' | sed 's/ $//')"
  if [ "$got" = "$wanted" ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: gw20cli $*|  wanted [$wanted], got [$got]"
  fi
}

# Commands, and the command found past options and their values (each
# command's whole set of options is CliCommands' check).
expect "canopen" can
expect "scan save" --port COM3 s
expect "canopen" --port = COM3 --scan-baud 9600 can
expect "" canopen --no-verify --j
expect "check" --port COM3 ch
expect "plan.json" diff plan.json pl
expect "--json" diff plan.json plan.json --
# Values: the lists of each option, also after --option=.
expect "COM1 COM10 COM11 COM12 COM13 COM14 COM15 COM16" --port COM1
expect "COM2" --port = COM2
expect "COM1,COM3" batch plan.json --ports COM1,COM3
# A device server's address: its scheme, then the operator's host and port.
expect "rfc2217://" --port rf
expect "tcp://" --port = t
expect "COM1,tcp://" batch plan.json --ports COM1,t
expect "19200" --scan-baud 19
expect "115200" devicenet --com2-baud 11
expect "125 250 500" devicenet --can-baud ""
expect "1000 10" canopen --can-baud 10
expect "on off" --scan-checksum ""
expect "cos cyclic" devicenet --default c
expect "" canopen --node ""
# Files: PLAN and --record take JSON files (and folders), --out folders only.
expect "out.d plan.json record.json" apply ""
expect "plan.json" save pl
expect "out.d" canopen --out ""
expect "out.d plan.json record.json" apply plan.json --record ""
expect "out.d plan.json record.json" batch plan.json --retry ""

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# kestrune-cli as a whole process against the tools of the field, on the largest file a chain can
# hold: `show --as hex` against xxd on the same 65,532 bytes, and `show --as assembly` against
# cc65's da65 disassembling the same bytes. Needs a release build (scripts/test makes one) and
# hyperfine, xxd, da65, cc1541 and python3 (scripts/setup installs them).
#   bench/cli_speed.sh [path/to/kestrune-cli]
set -euo pipefail
cd "$(dirname "$0")/.."

cli=${1:-build/release/cli/kestrune-cli}
[ -x "$cli" ] || { echo "no $cli: build first (scripts/test)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A 258-block program: load address $0000, then 65,530 bytes of noise (all sorts of opcodes).
head -c 65530 /dev/urandom > "$work/body.bin"
{ printf '\000\000'; cat "$work/body.bin"; } > "$work/file.prg"
cc1541 -q -n speed -f big -w "$work/file.prg" "$work/speed.d64" >/dev/null
"$cli" dir "$work/speed.d64" | head -2

hyperfine -N --warmup 20 --runs 300 --export-json "$work/times.json" \
    "$cli show $work/speed.d64 --row 1 --as hex" \
    "xxd $work/file.prg" \
    "$cli show $work/speed.d64 --row 1 --as assembly" \
    "da65 --start-addr 0 $work/body.bin -o /dev/null"

# Medians are steadier than means on a busy machine.
python3 - "$work/times.json" <<'PYTHON'
import json, sys
for result in json.load(open(sys.argv[1]))["results"]:
    print(f"median {result['median'] * 1000:7.2f} ms  {result['command']}")
PYTHON

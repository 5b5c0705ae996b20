#!/bin/sh
# A compile syncs every new file before the first rename, renames each over
# its target, then syncs the folder: what strace sees the program do.
#
#   sync_order_test.sh PROGRAM        (exit 77: strace is missing, skipped)
set -eu
program=$1
command -v strace >/dev/null || { echo "sync_order_test: no strace, skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "sync_order_test: $*" >&2; cat "$work/trace" >&2; exit 1; }

env -u DISPLAY "$program" texts --dir "$work" >/dev/null
strace -f -y -o "$work/trace" -e trace=fsync,fdatasync,rename,renameat,renameat2 \
  env -u DISPLAY "$program" compile --route Ortesa-Vildoro --train 418 --dir "$work" >/dev/null ||
  fail "the compile failed"

# One word a call: S (a temporary synced), R (a rename), F (the folder synced).
order=$(sed -n -e 's/.*fsync([0-9]*<[^>]*\/\.sb-tmp-[^>]*>).*/S/p' \
               -e 's/.*rename[a-z0-9]*(.*) = 0$/R/p' \
               -e "s|.*fsync([0-9]*<$work>).*|F|p" "$work/trace" | tr -d '\n')
[ "$order" = "SSSRRRF" ] || fail "calls in the order $order, not SSSRRRF"

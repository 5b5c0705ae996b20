#!/bin/sh
# What strace sees the program sync and rename, call by call. Every synced
# file is synced before the first rename of its set, and the folder after
# the last; what does not stay is not synced at all.
#
#   sync_order_test.sh PROGRAM        (exit 77: strace is missing, skipped)
set -eu
program=$1
command -v strace >/dev/null || { echo "sync_order_test: no strace, skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "sync_order_test: $*" >&2; cat "$work/trace" >&2; exit 1; }

# One word a call: S (a temporary synced), R (a rename), F (the folder
# synced), X (any other sync: there must be none).
calls() {
  rm -f "$work/trace"
  # The leak checker of a sanitizer build cannot run under ptrace.
  strace -f -y -o "$work/trace" -e trace=fsync,fdatasync,sync,syncfs,sync_file_range,rename,renameat,renameat2 \
    env -u DISPLAY ASAN_OPTIONS=detect_leaks=0 "$program" "$@" >/dev/null || fail "$* failed"
  sed -n -e 's/.*fsync([0-9]*<[^>]*\/\.sb-tmp-[^>]*>).*/S/p;t' \
         -e "s|.*fsync([0-9]*<$work/run>).*|F|p;t" \
         -e 's/.*rename[a-z0-9]*(.*) = 0$/R/p;t' \
         -e '/sync/s/.*/X/p' \
         "$work/trace" | tr -d '\n'
}
expect() {
  want=$1
  shift
  got=$(calls "$@")
  [ "$got" = "$want" ] || fail "$*: calls in the order $got, not $want"
}

mkdir "$work/run"
# The author's texts: each a durable set of one.
expect SRFSRF texts --dir "$work/run"
# A compile: the three compiled files as one set, its record synced and
# renamed into place before the first of them.
expect SSSSRRRRF compile --route Ortesa-Vildoro --train 418 --dir "$work/run"
rm -f "$work/run"/*
# The plain run: the two source texts renamed into place unsynced (they are
# read back and deleted under the lock), the three papers synced and renamed
# as one set after their unsynced record, then the compiled set and its
# synced record, whose folder sync makes the papers' names durable too.
# Eight syncs in all.
expect RRSSSRRRRSSSSRRRRF --dir "$work/run"
syncs=$(calls --dir "$work/run" | tr -d R)
[ ${#syncs} -eq 8 ] || fail "the plain run made ${#syncs} syncs, not 8"

#!/usr/bin/env bash
# Times the whole program: the plain run into a fresh folder against
# copying its six output files into another fresh folder, once with cp alone
# and once as a durable copy (cp, then `sync` on the six copies and their
# folder: what it costs to have the same bytes on the disk). The three are
# interleaved run by run so that a busy machine weighs on all alike. Prints
# the medians, the plain run's ratio to each copy and its peak resident
# memory.
#
#   bench/run.sh [RUNS]          (default 31 timed runs of each, after 3 warm-up runs)
#   BUILD=dir bench/run.sh       (build folder, default build; made with `make build`)
set -euo pipefail

cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
RUNS=${1:-31}
WARMUP=3
program="$BUILD/scenario-builder"

# GNU time reports the peak resident memory; the install script brings it.
if [ ! -x /usr/bin/time ]; then
  bash scripts/install-deps.sh extras
fi
[ -x /usr/bin/time ] || { echo "run.sh: /usr/bin/time is missing (Debian package \"time\")" >&2; exit 2; }

if [ ! -x "$program" ]; then
  make build BUILD="$BUILD"
fi
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$BUILD/CMakeCache.txt" 2>/dev/null || true)
case "$build_type" in
  Release | RelWithDebInfo) ;;
  *) echo "run.sh: warning: $BUILD is a \"$build_type\" build; figures are meant for Release or RelWithDebInfo" >&2 ;;
esac

# The console run is measured: with a display the window would be timed too.
unset DISPLAY

# Every timed run gets fresh folders under one scratch folder: a run over
# the files of the last one would time the replacing of old files, which
# neither the program nor cp does the first time.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
run_dir="$scratch/checked"
mkdir "$run_dir"

# One checked run first: timing a failing run would mean nothing. What it
# leaves (the program's own list of outputs; the tests hold it to six
# files) is what cp copies.
if ! "$program" --dir "$run_dir" </dev/null >/dev/null; then
  echo "run.sh: the plain run failed" >&2
  exit 1
fi
sources=("$run_dir"/*)
[ "${#sources[@]}" -eq 6 ] || { echo "run.sh: the plain run left ${#sources[@]} files, not 6" >&2; exit 1; }
output_bytes=$(cat "${sources[@]}" | wc -c)

# Wall time of one command in microseconds, fork and exec included.
elapsed_us() {
  local start=$EPOCHREALTIME
  "$@" </dev/null >/dev/null
  local end=$EPOCHREALTIME
  echo $(( ${end//[.,]/} - ${start//[.,]/} ))
}

copy_dir="$scratch/copy"
copies=()
for f in "${outputs[@]}"; do copies+=("$copy_dir/$f"); done
durable_copy() { cp "${sources[@]}" "$copy_dir/" && sync "${copies[@]}" "$copy_dir"; }
fresh() { rm -rf "$@" && mkdir "$@"; }

plain_times=()
copy_times=()
durable_times=()
for ((i = 0; i < WARMUP + RUNS; i++)); do
  fresh "$scratch/plain" "$copy_dir"
  p=$(elapsed_us "$program" --dir "$scratch/plain")
  c=$(elapsed_us cp "${sources[@]}" "$copy_dir/")
  fresh "$copy_dir"
  d=$(elapsed_us durable_copy)
  if ((i >= WARMUP)); then
    plain_times+=("$p")
    copy_times+=("$c")
    durable_times+=("$d")
  fi
done

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
spread() { printf '%s\n' "$@" | sort -n | awk 'NR == 1 { lo = $1 } { hi = $1 } END { printf "%.1f .. %.1f", lo / 1000, hi / 1000 }'; }

plain_median=$(median "${plain_times[@]}")
copy_median=$(median "${copy_times[@]}")
durable_median=$(median "${durable_times[@]}")

# Peak resident memory: the largest of a few runs under GNU time.
peak_kib=0
report="$scratch/time-report"
for ((i = 0; i < 5; i++)); do
  /usr/bin/time -f '%M' -o "$report" "$program" --dir "$run_dir" </dev/null >/dev/null
  kib=$(tail -n 1 "$report")
  if ((kib > peak_kib)); then peak_kib=$kib; fi
done

awk -v p="$plain_median" -v c="$copy_median" -v d="$durable_median" -v k="$peak_kib" -v n="$RUNS" -v b="$output_bytes" \
  -v ps="$(spread "${plain_times[@]}")" -v cs="$(spread "${copy_times[@]}")" -v ds="$(spread "${durable_times[@]}")" \
  -v load="$(cut -d ' ' -f 1-3 /proc/loadavg)" 'BEGIN {
  printf "output         %d bytes in 6 files\n", b
  printf "plain run      median %7.2f ms  (%s ms over %d runs)\n", p / 1000, ps, n
  printf "cp of outputs  median %7.2f ms  (%s ms over %d runs)\n", c / 1000, cs, n
  printf "durable copy   median %7.2f ms  (%s ms over %d runs; cp, then sync of the six and the folder)\n", d / 1000, ds, n
  printf "ratio to copy  %.2f\n", p / c
  printf "ratio durable  %.2f  (target: at most 1.3)\n", p / d
  printf "load average   %s\n", load
  printf "peak RSS       %.1f MiB  (target: at most 16 MiB)\n", k / 1024
}'

#!/usr/bin/env bash
# The Windows program under Wine, against the Linux build and on the X display.
#
#   wine_test.sh outputs PREFIX WINDOWS_EXE LINUX_PROGRAM CASES_DIR
#       the plain run of the .exe alone in an empty folder leaves the six
#       files of the Linux build, byte for byte, and nothing else; compile,
#       check and inspect of every scenario case give the same files,
#       messages and statuses (paths aside)
#   wine_test.sh desktop PREFIX PROBE_EXE CASES_DIR WINDOWS_EXE
#       Form1 with its label, as large as its text, is on the display while
#       the window is up; error 1250's box is confirmed with Return, the
#       program then ends with status 1 and no compiled file; a plain run
#       that gives up its console and cannot write a file shows the
#       failure in the box and ends with status 2 once it is confirmed
#   wine_test.sh console PREFIX WINDOWS_EXE
#       a name beyond ASCII reaches a console of code page 850 as it is,
#       and a file as UTF-8 bytes
#   wine_test.sh held PREFIX WINDOWS_EXE HOLDER_EXE CASES_DIR
#       a compile while another program holds the cell file open without
#       sharing fails, names the file, and leaves the old set byte for byte
#       and nothing else; once the file is let go, the compile replaces it
# Exits 77 (skipped) without Wine, the Linux program, a display or script.
set -uo pipefail
mode=$1 prefix=$2
here=$(cd "$(dirname "$0")" && pwd)
[ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null || { echo "no wine64"; exit 77; }
wine() { "$here/wine-run" "$prefix" "$@"; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# A folder named "." is joined with "\" on Windows.
unwin() { sed -e 's|\.\\|./|g'; }

outputs() {
  local exe=$1 linux=$2 cases=$3
  [ -x "$linux" ] || { echo "no Linux program at '$linux'"; exit 77; }
  mkdir "$work/win" "$work/lin"
  cp "$exe" "$work/win/scenario-builder.exe"
  (cd "$work" && wine "$work/win/scenario-builder.exe") || fail "plain run: status $?"
  "$linux" --dir "$work/lin" || fail "Linux plain run: status $?"
  local expected
  expected=$( (ls "$work/lin"; echo scenario-builder.exe) | sort)
  [ "$(ls "$work/win" | sort)" = "$expected" ] || fail "plain run left: $(ls "$work/win" | tr '\n' ' ')"
  for f in "$work/lin"/*; do
    cmp -s "$f" "$work/win/$(basename "$f")" || fail "plain run: $(basename "$f") differs from Linux's"
  done

  local n=0
  for case_dir in "$cases"/*/; do
    local name args
    name=$(basename "$case_dir")
    args="--route Prova --train 7"
    [ -f "$case_dir/args" ] && args=$(cat "$case_dir/args")
    for side in win lin; do
      rm -rf "$work/$side.$name" && mkdir "$work/$side.$name"
      find "$case_dir" -maxdepth 1 -type f ! -name 'expected*' ! -name args -exec cp {} "$work/$side.$name/" \;
    done
    # shellcheck disable=SC2086
    for cmd in "compile $args" "check $args --format json" "check $args"; do
      (cd "$work/win.$name" && wine "$work/win/scenario-builder.exe" $cmd >"$work/w.out" 2>"$work/w.err"; echo $? >"$work/w.st")
      (cd "$work/lin.$name" && "$linux" $cmd >"$work/l.out" 2>"$work/l.err"; echo $? >"$work/l.st")
      for s in out err st; do
        unwin <"$work/w.$s" >"$work/w.$s.n"
        cmp -s "$work/w.$s.n" "$work/l.$s" || { fail "$name: $cmd: std$s differs"; diff "$work/l.$s" "$work/w.$s.n" | head -5; }
      done
    done
    for f in "$work/lin.$name"/*; do
      local b
      b=$(basename "$f")
      cmp -s "$f" "$work/win.$name/$b" || fail "$name: $b differs"
      case "$b" in
        *.sim | *.dat)
          (cd "$work/win.$name" && wine "$work/win/scenario-builder.exe" inspect --all "$b" >"$work/w.out" 2>&1)
          (cd "$work/lin.$name" && "$linux" inspect --all "$b" >"$work/l.out" 2>&1)
          cmp -s "$work/w.out" "$work/l.out" || fail "$name: inspect $b differs" ;;
      esac
    done
    [ "$(ls "$work/win.$name")" = "$(ls "$work/lin.$name")" ] || fail "$name: the folders hold different files"
    n=$((n + 1))
  done
  echo "plain run and $n scenario cases compared"
}

# A path as Wine names it: drive Z: is the host's root.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Runs a shell script on a terminal of its own, which Wine takes for a
# console.
in_a_terminal() {
  command -v script >/dev/null || { echo "no script"; exit 77; }
  script -qec "bash $(printf '%q' "$1")" /dev/null </dev/null
}

# Polls until the command succeeds, for at most $1 tenths of a second.
until_ok() {
  local tries=$1
  shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
  return 1
}

desktop() {
  local probe=$1 cases=$2
  [ -n "${DISPLAY:-}" ] && xwininfo -root >/dev/null 2>&1 || { echo "no display"; exit 77; }
  for tool in xdotool xwininfo; do command -v $tool >/dev/null || { echo "no $tool"; exit 77; }; done

  # The window, held open by the probe until its stdin ends.
  mkfifo "$work/in"
  wine "$probe" window <"$work/in" >"$work/report" 2>"$work/probe.err" &
  local pid=$!
  exec 3>"$work/in"
  # Windows ends the probe's lines with CR LF.
  until_ok 300 eval 'tr -d "\r" <"$work/report" >"$work/facts"; grep -q "^end$" "$work/facts"' || fail "window: no report: $(cat "$work/report" "$work/probe.err")"
  grep -q '^window 280 179 dpi 96 visible 1$' "$work/facts" || fail "window: $(head -1 "$work/facts")"
  # The label is its text's size in its font, inside the 280 x 179 client area.
  grep -qE '^child Static [0-9]+ [0-9]+ [0-9]+ [0-9]+ font \[MS Sans Serif\] height -32 weight 700 text \[Attendere\] extent [0-9]+ [0-9]+$' "$work/facts" ||
    fail "label: $(grep child "$work/facts")"
  read -r x y w h ew eh < <(sed -n 's/^child Static \([0-9]*\) \([0-9]*\) \([0-9]*\) \([0-9]*\) .* extent \([0-9]*\) \([0-9]*\)$/\1 \2 \3 \4 \5 \6/p' "$work/facts")
  [ "${w:-0}" -eq "${ew:-1}" ] && [ "${h:-0}" -eq "${eh:-1}" ] || fail "label $w x $h, its text $ew x $eh"
  [ $((${x:-999} + ${w:-0})) -le 280 ] && [ $((${y:-999} + ${h:-0})) -le 179 ] || fail "label at $x,$y of $w x $h leaves the form"
  local xid
  xid=$(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -1)
  if [ -z "$xid" ]; then
    fail "no window Form1 on the display"
  else
    xwininfo -id "$xid" | grep -q 'Width: 280' || fail "Form1 on the display: $(xwininfo -id "$xid" | grep -E 'Width|Height' | tr '\n' ' ')"
    xwininfo -id "$xid" | grep -q 'Height: 179' || fail "Form1 on the display is not 179 high"
  fi
  exec 3>&-
  wait $pid || fail "window: probe status $?"
  tr -d '\r' <"$work/report" | grep -q '^closed 1$' || fail "window: not closed"

  # Error 1250: the box waits until Return confirms it. Wine's box may miss
  # a key sent before it has the focus, so Return goes again until it ends.
  mkdir "$work/box"
  cp "$cases/marker_in_use/Prova_linea.txt" "$work/box/Ortesa-Vildoro_linea.txt"
  cp "$cases/marker_in_use/Prova_7-.txt" "$work/box/Ortesa-Vildoro_418-.txt"
  wine "$probe" build "Z:$work/box" >"$work/box.out" 2>"$work/box.err" &
  pid=$!
  local box=
  until_ok 300 eval 'box=$(xdotool search --onlyvisible --name "^scenario-builder$" 2>/dev/null | head -1); [ -n "$box" ]' ||
    fail "no box on the display"
  sleep 0.5
  kill -0 $pid 2>/dev/null || fail "the box did not wait"
  if [ -n "$box" ]; then
    for _ in $(seq 40); do
      kill -0 $pid 2>/dev/null || break
      xdotool windowactivate "$box" key Return 2>/dev/null || xdotool key --window "$box" Return 2>/dev/null
      sleep 0.5
    done
  fi
  kill -0 $pid 2>/dev/null && { fail "the box was not confirmed"; kill $pid; }
  wait $pid
  local status=$?
  [ $status -eq 1 ] || fail "error 1250: status $status, not 1"
  ls "$work/box" | grep -qE '\.(sim|dat)$' && fail "error 1250 left compiled files: $(ls "$work/box")"

  # A plain run in a folder where a directory stands in the table file's
  # place. From a terminal Wine gives the program a console of its own, as
  # a double click does: the program gives it up, and the failure comes in
  # the box, found on the display; the probe reads its text.
  mkdir -p "$work/lost/Ortesa-Vildoro_418.sim"
  cp "$exe" "$work/lost/scenario-builder.exe"
  wine "$probe" box-text >"$work/lost.text" 2>&1 &
  local reader=$!
  printf '%q ' "$here/wine-run" "$prefix" "$work/lost/scenario-builder.exe" >"$work/lost.sh"
  printf '\necho $? >%q\n' "$work/lost.status" >>"$work/lost.sh"
  in_a_terminal "$work/lost.sh" >"$work/lost.console" 2>&1 &
  pid=$!
  box=
  until_ok 300 eval 'box=$(xdotool search --onlyvisible --name "^scenario-builder$" 2>/dev/null | head -1); [ -n "$box" ]' ||
    fail "no failure box on the display: $(cat "$work/lost.console")"
  wait $reader
  tr -d '\r' <"$work/lost.text" | grep -qxF "text [scenario-builder: $(winpath "$work/lost/Ortesa-Vildoro_418.sim"): not a regular file]" ||
    fail "failure box: $(cat "$work/lost.text")"
  sleep 0.5
  kill -0 $pid 2>/dev/null || fail "the failure box did not wait"
  if [ -n "$box" ]; then
    for _ in $(seq 40); do
      kill -0 $pid 2>/dev/null || break
      xdotool windowactivate "$box" key Return 2>/dev/null || xdotool key --window "$box" Return 2>/dev/null
      sleep 0.5
    done
  fi
  kill -0 $pid 2>/dev/null && { fail "the failure box was not confirmed"; kill $pid; }
  wait $pid
  [ "$(cat "$work/lost.status" 2>/dev/null)" = 2 ] || fail "failure box: status $(cat "$work/lost.status" 2>/dev/null), not 2"
  echo "window and boxes checked"
}

# A console of code page 850 under `script`, where Wine's console stands on
# a terminal: the bytes of "Città" would show as "Citt├á" there.
console() {
  local exe=$1
  mkdir "$work/Città"
  # Short lines: Wine draws a long one on the terminal in pieces.
  printf '%q ' "$here/wine-run" "$prefix" cmd /c "cd /d $(winpath "$work") & chcp 850 >nul & \
$(winpath "$exe") check --route Prova --train 7 --dir Città & $(winpath "$exe") inspect Città\\none.sim" >"$work/console.sh"
  # The terminal's control sequences out, a step to the right as a blank.
  LANG=C.UTF-8 in_a_terminal "$work/console.sh" 2>&1 |
    sed -E 's/\x1b\[1C/ /g; s/\x1b\[[0-9;?]*[A-Za-z]//g' >"$work/console"
  # stdout, then stderr.
  grep -aqF 'Città\Prova_linea.txt: error 101' "$work/console" ||
    fail "console: $(grep -a Prova "$work/console")"
  grep -aqF 'scenario-builder: Città\none.sim: No such file' "$work/console" ||
    fail "console: $(grep -a none "$work/console")"
  local folder
  folder=$(winpath "$work/Città")
  # Into a file, the bytes as they are.
  wine "$exe" check --route Prova --train 7 --dir "$folder" >"$work/file.out" 2>&1
  grep -qF "$folder\\Prova_linea.txt: error 101" "$work/file.out" || fail "file: $(cat "$work/file.out")"
  echo "console checked"
}

held() {
  local exe=$1 holder=$2 cases=$3
  mkdir "$work/held"
  cp "$cases/small_line/Prova_linea.txt" "$cases/small_line/Prova_7-.txt" "$work/held/"
  (cd "$work/held" && wine "$exe" compile --route Prova --train 7 --quiet) || fail "first compile: status $?"
  mkdir "$work/old" && cp "$work/held"/*.dat "$work/held"/*.sim "$work/old/"
  # A new table and new cells.
  sed -i 's/^stazione, 3000,/stazione, 3500,/' "$work/held/Prova_7-.txt"
  mkfifo "$work/hold.in"
  (cd "$work/held" && wine "$holder" Prova_7.dat <"$work/hold.in" >"$work/hold.out" 2>&1) &
  local pid=$!
  exec 4>"$work/hold.in"
  until_ok 300 grep -q held "$work/hold.out" || fail "the holder did not open the file: $(cat "$work/hold.out")"
  (cd "$work/held" && wine "$exe" compile --route Prova --train 7 >"$work/held.out" 2>"$work/held.err")
  local status=$?
  [ $status -ne 0 ] || fail "compile with a held file: status 0"
  tr -d '\r' <"$work/held.err" | grep -qF 'Prova_7.dat is open in another program (is the simulator running?); nothing was replaced' ||
    fail "held file message: $(cat "$work/held.err")"
  for f in "$work/old"/*; do
    cmp -s "$f" "$work/held/$(basename "$f")" || fail "held file: $(basename "$f") changed"
  done
  [ "$(ls -A "$work/held" | grep -v '\.txt$' | sort)" = "$(ls -A "$work/old" | sort)" ] || fail "held file left: $(ls -A "$work/held" | tr '\n' ' ')"
  exec 4>&-
  wait $pid
  (cd "$work/held" && wine "$exe" compile --route Prova --train 7 --quiet) || fail "compile once let go: status $?"
  cmp -s "$work/old/Prova_7.dat" "$work/held/Prova_7.dat" && fail "compile once let go: the cell file is the old one"
  echo "held file checked"
}

case "$mode" in
  outputs) outputs "$3" "$4" "$5" ;;
  desktop) exe=$5 desktop "$3" "$4" ;;
  held) held "$3" "$4" "$5" ;;
  console) console "$3" ;;
  *) echo "usage: wine_test.sh outputs|desktop|held|console PREFIX ..." >&2; exit 2 ;;
esac
[ $failures -eq 0 ]

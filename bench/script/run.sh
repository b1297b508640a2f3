#!/usr/bin/env bash
# Times three workloads of the QSL script processor (through the qsl host)
# beside the same loops in bash, tclsh, Regina REXX and Bywater BASIC:
#   loop    a WHILE loop of 1,000,000 iterations
#   concat  200,000 appends of a short string (the string restarts every 100)
#   ifchain 300,000 passes through a four-way IF/ELSE chain (in QSL the
#           language's own chain: a single-line IF, then lines of ELSE IF)
#
#   bench/script/run.sh            build qsl (Release), install what is missing, run
#   QSL_BENCH_QSL=path/to/qsl bench/script/run.sh    time that qsl instead
#
# Times are CPU seconds (user + system) of each interpreter, which a busy
# machine disturbs less than the wall clock. The goal is that qsl needs no
# more than tclsh for the loop and the IF chain. Interpreters that are missing
# are installed with apt-get when it is there (Debian packages tcl,
# regina-rexx, bwbasic); one that still cannot be had is shown as "-".
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${QSL_BENCH_BUILD:-$root/build-bench-script}"

qsl="${QSL_BENCH_QSL:-}"
if [ -z "$qsl" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQV_TESTS=OFF >/dev/null
    cmake --build "$build" --target qsl -j"${QSL_BENCH_JOBS:-2}" >/dev/null
    qsl="$build/bin/qsl"
fi

install_missing() {
    local missing=()
    command -v tclsh >/dev/null || missing+=(tcl)
    command -v regina >/dev/null || command -v rexx >/dev/null || missing+=(regina-rexx)
    command -v bwbasic >/dev/null || missing+=(bwbasic)
    if [ ${#missing[@]} -gt 0 ] && command -v apt-get >/dev/null; then
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo -n"
        echo "installing ${missing[*]}" >&2
        $sudo apt-get install -y "${missing[@]}" >/dev/null 2>&1 ||
            { $sudo apt-get update >/dev/null 2>&1 && $sudo apt-get install -y "${missing[@]}" >/dev/null 2>&1; } ||
            echo "could not install ${missing[*]}; those columns stay empty" >&2
    fi
}
install_missing
rexx_cmd="$(command -v regina || command -v rexx || true)"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# ---- the workloads, once per language -----------------------------------

cat >"$work/loop.qsl" <<'EOF'
i = 0
WHILE i < 1000000
  i = i + 1
ENDWHILE
EOF
cat >"$work/concat.qsl" <<'EOF'
i = 0
s = ""
WHILE i < 200000
  s = "%s%ab"
  i = i + 1
  IF i mod 100 == 0 THEN s = ""
ENDWHILE
EOF
cat >"$work/ifchain.qsl" <<'EOF'
i = 0
n = 0
WHILE i < 300000
  k = i mod 4
  IF k == 0 THEN n = n + 1
  ELSE IF k == 1 THEN n = n + 2
  ELSE IF k == 2 THEN n = n + 3
  ELSE n = n + 4
  i = i + 1
ENDWHILE
EOF

cat >"$work/loop.sh" <<'EOF'
i=0
while (( i < 1000000 )); do i=$((i + 1)); done
EOF
cat >"$work/concat.sh" <<'EOF'
i=0; s=""
while (( i < 200000 )); do
  s="${s}ab"; i=$((i + 1))
  if (( i % 100 == 0 )); then s=""; fi
done
EOF
cat >"$work/ifchain.sh" <<'EOF'
i=0; n=0
while (( i < 300000 )); do
  k=$((i % 4))
  if (( k == 0 )); then n=$((n + 1))
  elif (( k == 1 )); then n=$((n + 2))
  elif (( k == 2 )); then n=$((n + 3))
  else n=$((n + 4)); fi
  i=$((i + 1))
done
EOF

cat >"$work/loop.tcl" <<'EOF'
set i 0
while {$i < 1000000} { set i [expr {$i + 1}] }
EOF
cat >"$work/concat.tcl" <<'EOF'
set i 0
set s ""
while {$i < 200000} {
  append s "ab"
  set i [expr {$i + 1}]
  if {$i % 100 == 0} { set s "" }
}
EOF
cat >"$work/ifchain.tcl" <<'EOF'
set i 0
set n 0
while {$i < 300000} {
  set k [expr {$i % 4}]
  if {$k == 0} {
    set n [expr {$n + 1}]
  } elseif {$k == 1} {
    set n [expr {$n + 2}]
  } elseif {$k == 2} {
    set n [expr {$n + 3}]
  } else {
    set n [expr {$n + 4}]
  }
  set i [expr {$i + 1}]
}
EOF

cat >"$work/loop.rexx" <<'EOF'
i = 0
do while i < 1000000
  i = i + 1
end
EOF
cat >"$work/concat.rexx" <<'EOF'
i = 0
s = ''
do while i < 200000
  s = s || 'ab'
  i = i + 1
  if i // 100 = 0 then s = ''
end
EOF
cat >"$work/ifchain.rexx" <<'EOF'
i = 0
n = 0
do while i < 300000
  k = i // 4
  if k = 0 then n = n + 1
  else if k = 1 then n = n + 2
  else if k = 2 then n = n + 3
  else n = n + 4
  i = i + 1
end
EOF

cat >"$work/loop.bas" <<'EOF'
10 I = 0
20 WHILE I < 1000000
30 I = I + 1
40 WEND
50 SYSTEM
EOF
cat >"$work/concat.bas" <<'EOF'
10 I = 0
20 S$ = ""
30 WHILE I < 200000
40 S$ = S$ + "ab"
50 I = I + 1
60 IF I MOD 100 = 0 THEN S$ = ""
70 WEND
80 SYSTEM
EOF
cat >"$work/ifchain.bas" <<'EOF'
10 I = 0
20 N = 0
30 WHILE I < 300000
40 K = I MOD 4
50 IF K = 0 THEN
51 N = N + 1
52 ELSEIF K = 1 THEN
53 N = N + 2
54 ELSEIF K = 2 THEN
55 N = N + 3
56 ELSE
57 N = N + 4
58 END IF
60 I = I + 1
70 WEND
80 SYSTEM
EOF

# ---- timing ---------------------------------------------------------------

# cpu_seconds COMMAND...: the least CPU time (user + system) of three runs.
cpu_seconds() {
    local t best=""
    for _ in 1 2 3; do
        t=$( { TIMEFORMAT='%U %S'; time "$@" </dev/null >/dev/null 2>&1; } 2>&1 ) || { echo "-"; return; }
        best=$(awk -v t="$t" -v b="$best" 'BEGIN { split(t, a, " "); s = a[1] + a[2]; if (b == "" || s < b) b = s; print b }')
    done
    printf '%.2f' "$best"
}

run_one() {
    local lang="$1" work_file="$2"
    case "$lang" in
        qsl) cpu_seconds "$qsl" "$work_file.qsl" ;;
        bash) cpu_seconds bash "$work_file.sh" ;;
        tclsh) command -v tclsh >/dev/null && cpu_seconds tclsh "$work_file.tcl" || echo "-" ;;
        rexx) [ -n "$rexx_cmd" ] && cpu_seconds "$rexx_cmd" "$work_file.rexx" || echo "-" ;;
        bwbasic) command -v bwbasic >/dev/null && cpu_seconds bwbasic "$work_file.bas" || echo "-" ;;
    esac
}

printf '%-10s %8s %8s %8s %8s %8s   (CPU seconds)\n' workload qsl bash tclsh rexx bwbasic
status=0
for workload in loop concat ifchain; do
    declare -A t=()
    for lang in qsl bash tclsh rexx bwbasic; do t[$lang]="$(run_one "$lang" "$work/$workload")"; done
    printf '%-10s %8s %8s %8s %8s %8s\n' "$workload" "${t[qsl]}" "${t[bash]}" "${t[tclsh]}" "${t[rexx]}" "${t[bwbasic]}"
    if [ "$workload" != concat ] && [ "${t[tclsh]}" != "-" ]; then
        if awk -v a="${t[qsl]}" -v b="${t[tclsh]}" 'BEGIN { exit !(a <= b) }'; then
            goal+="$workload: qsl is at least as fast as tclsh. "
        else
            goal+="$workload: qsl is SLOWER than tclsh. "
            status=1
        fi
    fi
    unset t
done
echo "${goal:-}"
exit $status

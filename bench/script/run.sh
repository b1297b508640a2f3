#!/usr/bin/env bash
# Times three workloads of the QSL script processor (through the qsl host)
# beside the same loops in bash, tclsh, Regina REXX and Bywater BASIC:
#   loop    a WHILE loop of 1,000,000 iterations
#   concat  200,000 appends of a short string with strcat, each followed by
#           strlen of the result (the string restarts every 100)
#   ifchain 100,000 passes through a four-way IF/ELSE chain (in QSL the
#           language's own chain: a single-line IF, then lines of ELSE IF)
#
#   bench/script/run.sh            build qsl (Release), install what is missing, run
#   QSL_BENCH_QSL=path/to/qsl bench/script/run.sh    time that qsl instead
#   QSL_BENCH_ROUNDS=N             rounds (default 5)
#
# Each run is a whole process, start-up included, timed in CPU seconds (user
# + system: a busy machine disturbs them less than the wall clock); the
# interpreters take turns in every round and the median of the rounds counts. Every program prints its result as "r=VALUE", which must be the
# expected value (the output check). The goal is that qsl needs no more time
# than tclsh on all three workloads; the ratio to Regina REXX is shown too.
# Interpreters that are missing are installed with apt-get when it is there
# (Debian packages tcl, regina-rexx, bwbasic); one that still cannot be had is
# shown as "-".
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
# Results: loop r=1000000, concat r=20200000, ifchain r=250000.

cat >"$work/loop.qsl" <<'END'
r = 0
WHILE r < 1000000
  r = r + 1
ENDWHILE
END
cat >"$work/concat.qsl" <<'END'
i = 0
r = 0
s = ""
WHILE i < 200000
  s = strcat(s, "ab")
  r = r + strlen(s)
  i = i + 1
  IF i mod 100 == 0 THEN s = ""
ENDWHILE
END
cat >"$work/ifchain.qsl" <<'END'
i = 0
r = 0
WHILE i < 100000
  k = i mod 4
  IF k == 0 THEN r = r + 1
  ELSE IF k == 1 THEN r = r + 2
  ELSE IF k == 2 THEN r = r + 3
  ELSE r = r + 4
  i = i + 1
ENDWHILE
END

cat >"$work/loop.sh" <<'END'
r=0
while (( r < 1000000 )); do r=$((r + 1)); done
echo "r=$r"
END
cat >"$work/concat.sh" <<'END'
i=0; r=0; s=""
while (( i < 200000 )); do
  s="${s}ab"; r=$((r + ${#s})); i=$((i + 1))
  if (( i % 100 == 0 )); then s=""; fi
done
echo "r=$r"
END
cat >"$work/ifchain.sh" <<'END'
i=0; r=0
while (( i < 100000 )); do
  k=$((i % 4))
  if (( k == 0 )); then r=$((r + 1))
  elif (( k == 1 )); then r=$((r + 2))
  elif (( k == 2 )); then r=$((r + 3))
  else r=$((r + 4)); fi
  i=$((i + 1))
done
echo "r=$r"
END

cat >"$work/loop.tcl" <<'END'
set r 0
while {$r < 1000000} { set r [expr {$r + 1}] }
puts "r=$r"
END
cat >"$work/concat.tcl" <<'END'
set i 0
set r 0
set s ""
while {$i < 200000} {
  append s "ab"
  set r [expr {$r + [string length $s]}]
  set i [expr {$i + 1}]
  if {$i % 100 == 0} { set s "" }
}
puts "r=$r"
END
cat >"$work/ifchain.tcl" <<'END'
set i 0
set r 0
while {$i < 100000} {
  set k [expr {$i % 4}]
  if {$k == 0} {
    set r [expr {$r + 1}]
  } elseif {$k == 1} {
    set r [expr {$r + 2}]
  } elseif {$k == 2} {
    set r [expr {$r + 3}]
  } else {
    set r [expr {$r + 4}]
  }
  set i [expr {$i + 1}]
}
puts "r=$r"
END

cat >"$work/loop.rexx" <<'END'
r = 0
do while r < 1000000
  r = r + 1
end
say 'r='r
END
cat >"$work/concat.rexx" <<'END'
i = 0
r = 0
s = ''
do while i < 200000
  s = s || 'ab'
  r = r + length(s)
  i = i + 1
  if i // 100 = 0 then s = ''
end
say 'r='r
END
cat >"$work/ifchain.rexx" <<'END'
i = 0
r = 0
do while i < 100000
  k = i // 4
  if k = 0 then r = r + 1
  else if k = 1 then r = r + 2
  else if k = 2 then r = r + 3
  else r = r + 4
  i = i + 1
end
say 'r='r
END

cat >"$work/loop.bas" <<'END'
10 R = 0
20 WHILE R < 1000000
30 R = R + 1
40 WEND
45 PRINT "r="; R
50 SYSTEM
END
cat >"$work/concat.bas" <<'END'
10 I = 0
15 R = 0
20 S$ = ""
30 WHILE I < 200000
40 S$ = S$ + "ab"
45 R = R + LEN(S$)
50 I = I + 1
60 IF I MOD 100 = 0 THEN S$ = ""
70 WEND
75 PRINT "r="; R
80 SYSTEM
END
cat >"$work/ifchain.bas" <<'END'
10 I = 0
20 R = 0
30 WHILE I < 100000
40 K = I MOD 4
50 IF K = 0 THEN
51 R = R + 1
52 ELSEIF K = 1 THEN
53 R = R + 2
54 ELSEIF K = 2 THEN
55 R = R + 3
56 ELSE
57 R = R + 4
58 END IF
60 I = I + 1
70 WEND
75 PRINT "r="; R
80 SYSTEM
END

# ---- timing ---------------------------------------------------------------

rounds="${QSL_BENCH_ROUNDS:-5}"
declare -A expected=([loop]=1000000 [concat]=20200000 [ifchain]=250000)
langs=(qsl bash tclsh rexx bwbasic)

available() {
    case "$1" in
        qsl | bash) return 0 ;;
        tclsh) command -v tclsh >/dev/null ;;
        rexx) [ -n "$rexx_cmd" ] ;;
        bwbasic) command -v bwbasic >/dev/null ;;
    esac
}

# One run of an interpreter, its output to the file out.
run_program() {
    local lang="$1" file="$2" out="$3"
    case "$lang" in
        qsl) "$qsl" --vars "$file.qsl" >"$out" ;;
        bash) bash "$file.sh" >"$out" ;;
        tclsh) tclsh "$file.tcl" >"$out" ;;
        rexx) "$rexx_cmd" "$file.rexx" >"$out" ;;
        bwbasic) bwbasic "$file.bas" >"$out" ;;
    esac
}

# timed_run LANG FILE WORKLOAD: the CPU seconds (user + system) of one whole
# run, start-up included; "x" when the run failed or its result is wrong.
# CPU time, not the wall clock: on a machine shared with other work the
# wall clock mostly measures the waits for a processor.
timed_run() {
    local t result
    t=$( { TIMEFORMAT='%3U %3S'; time run_program "$1" "$2" "$work/out" </dev/null 2>/dev/null; } 2>&1 ) ||
        { echo x; return; }
    result=$(grep -iE '^r=' "$work/out" | tr -d ' \r' | head -1)
    if [ "$result" != "r=${expected[$3]}" ]; then
        echo "wrong result of $1 $3: '$result'" >&2
        echo x
        return
    fi
    awk -v t="$t" 'BEGIN { split(t, a, " "); printf "%.3f", a[1] + a[2] }'
}

median() {
    tr ' ' '\n' | grep -v '^$' | sort -g |
        awk '{ a[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print a[(NR + 1) / 2]; else printf "%.3f", (a[NR / 2] + a[NR / 2 + 1]) / 2 }'
}

printf '%-10s %8s %8s %8s %8s %8s %10s   (CPU seconds, median of %s alternating rounds)\n' \
    workload qsl bash tclsh rexx bwbasic qsl/rexx "$rounds"
status=0
goal=""
for workload in loop concat ifchain; do
    declare -A times=()
    for ((round = 1; round <= rounds; ++round)); do
        for lang in "${langs[@]}"; do
            available "$lang" || continue
            t=$(timed_run "$lang" "$work/$workload" "$workload")
            if [ "$t" = x ]; then
                [ "$lang" = qsl ] && status=1
                continue
            fi
            times[$lang]+=" $t"
        done
    done
    declare -A m=()
    for lang in "${langs[@]}"; do m[$lang]=$(echo "${times[$lang]:-}" | median); done
    ratio="-"
    if [ "${m[rexx]}" != "-" ] && [ "${m[qsl]}" != "-" ]; then
        ratio=$(awk -v a="${m[qsl]}" -v b="${m[rexx]}" 'BEGIN { printf "%.2f", a / b }')
    fi
    printf '%-10s %8s %8s %8s %8s %8s %10s\n' "$workload" "${m[qsl]}" "${m[bash]}" "${m[tclsh]}" "${m[rexx]}" \
        "${m[bwbasic]}" "$ratio"
    if [ "${m[tclsh]}" != "-" ]; then
        if awk -v a="${m[qsl]}" -v b="${m[tclsh]}" 'BEGIN { exit !(a != "-" && a + 0 <= b + 0) }'; then
            goal+="$workload: qsl is at least as fast as tclsh. "
        else
            goal+="$workload: qsl is SLOWER than tclsh. "
            status=1
        fi
    fi
    unset times m
done
echo "$goal"
exit $status

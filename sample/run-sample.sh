#!/bin/sh
# run-sample.sh BUILD_DIR: writes a fresh sample installation into
# BUILD_DIR/sample-install and runs its daily chain (DAILY.BAT: PREQUOR, the
# download stand-in, POSTQUOR, QUORUP, TEMPZIP.BAT with DFORGE $ROLL, DFANOUT
# and BULSHOW, then MKPICKS, and last qvexport into QUORVANT.SQLITE) day by
# day over the weeks after the sample history, showing what each day changed.
#
# SAMPLE_DAYS="2020-12-07 2020-12-08 ..." chooses the days to run.
set -eu

if [ $# -ne 1 ]; then
    echo "usage: sample/run-sample.sh BUILD_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
bin="$build/bin"
install="$build/sample-install"

# The sample user last updated on Friday 4 December 2020. The days run: a
# Monday that fetches one day, a week with a COT report, the days around the
# Christmas holiday (the Friday's files arrive empty, the weekend fetches
# nothing new), the month-end and New Year, and a Monday after a gap that
# fetches the days it missed.
days=${SAMPLE_DAYS:-"2020-12-07 2020-12-08 2020-12-11 2020-12-14 2020-12-18 2020-12-24 2020-12-25 2020-12-26
2020-12-28 2020-12-31 2021-01-04 2021-01-08"}

rm -rf "$install"
"$bin/make_sample" "$install"
"$bin/make_clc_history" "$install"
# The COT and IDX history, and the vendor's prepared days in VENDOR\: daily
# CLC, IDX and individual-contract files, weekly COT reports and system
# messages up to 8 January 2021; the contract history file goes to UPDATES\.
"$bin/make_cot_idx" "$install"
"$bin/make_vendor_days" "$install"
# The build files a user's front end hands to DFORGE.
"$bin/make_build_files" "$install"

export QUORVANT_ROOT="$install"
export QUORVANT_SYNC=1
cd "$install"

run_tool() {
    program=$1
    shift
    echo "==== $program${1:+ $*}"
    "$bin/$program" "$@" </dev/null
    echo
}

# The user's front end built each build file of AUTO\ once, on the day of the
# user's last update; DFORGE listed them in BCAST.TXT, and from then on the
# updater's broadcast in the daily chain carries each day's updates into them.
for path in "$install"/AUTO/\$*; do
    [ -f "$path" ] || continue
    (QUORVANT_TODAY=2020-12-04 && export QUORVANT_TODAY && run_tool DFORGE "$(basename "$path")")
done
echo "==== autobuild outputs (BCAST.TXT)"
cat "$install/BCAST.TXT"
echo
echo "==== the daily chain (DAILY.BAT)"
cat "$install/DAILY.BAT"

# The back-adjusted wheat series, an autobuild output of CLC data.
output="$install/ASCII/BUILT/W_BACK.TXT"
for day in $days; do
    export QUORVANT_TODAY="$day"
    echo
    echo "==== day $day ($(date -d "$day" +%A))"
    "$bin/qbatch" DAILY.BAT </dev/null >"$install/chain.log" 2>&1 || true
    grep '^DOWNLOAD: ' "$install/chain.log" | sed 's/^DOWNLOAD: /  downloaded /' || echo "  downloaded nothing"
    echo "---- QUORUP.MSG"
    sed 's/^/  /' "$install/QUORUP.MSG" 2>/dev/null || true
    if [ -f "$output" ]; then
        echo "---- last line of ${output#"$install"/}"
        tail -n 1 "$output" | sed 's/^/  /'
    fi
    contract=$(ls "$install"/ASCII/W_/*.TXT 2>/dev/null | head -n 1)
    if [ -n "$contract" ]; then
        echo "---- last line of ${contract#"$install"/}"
        tail -n 1 "$contract" | sed 's/^/  /'
    fi
    echo "---- favourites: $(ls "$install/ASCII/FAVORITE" 2>/dev/null | tr '\n' ' ')"
    echo "---- QUORVANT.SQLITE"
    grep '^qvexport: ' "$install/chain.log" | sed 's/^qvexport: .*QUORVANT.SQLITE: /  /' || echo "  not exported"
    run_tool roll
    if [ -f "$install/ROLLSHOW.TXT" ]; then
        echo "==== rolling today (ROLLSHOW.TXT)"
        grep '^\*' "$install/ROLLSHOW.TXT" | cut -f 1 | sed 's/^/  /' || echo "  none"
    fi
done
echo
# The database for today's tools: the chain keeps the SQLite file up to date
# (run once more, the export finds nothing changed), and a chart of the wheat
# series beside its back adjustment.
if [ -x "$bin/qvexport" ]; then
    echo "==== qvexport --sqlite QUORVANT.SQLITE (after the last day)"
    "$bin/qvexport" --sqlite "$install/QUORVANT.SQLITE" </dev/null
    echo
fi
if [ -x "$bin/qvchart" ]; then
    echo "==== qvchart W_ W_.png"
    "$bin/qvchart" W_ "$install/W_.png" </dev/null
    echo
fi
echo "==== SQLite file: $install/QUORVANT.SQLITE"
echo "==== chart: $install/W_.png"
echo "==== sample installation in $install"

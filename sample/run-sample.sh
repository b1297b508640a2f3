#!/bin/sh
# run-sample.sh BUILD_DIR: writes a fresh sample installation into
# BUILD_DIR/sample-install and runs the tools on it, the way the daily chain and
# the front end would, printing what they print.
set -eu

if [ $# -ne 1 ]; then
    echo "usage: sample/run-sample.sh BUILD_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
bin="$build/bin"
install="$build/sample-install"

rm -rf "$install"
"$bin/make_sample" "$install"
if [ -x "$bin/make_clc_history" ]; then
    "$bin/make_clc_history" "$install"
fi

# The sample user last updated on Friday 4 December 2020; the run is the
# following Monday unless QUORVANT_TODAY says otherwise.
export QUORVANT_ROOT="$install"
export QUORVANT_TODAY="${QUORVANT_TODAY:-2020-12-07}"
export QUORVANT_SYNC=1
cd "$install"

# The vendor's update files for the days after the history, as the download
# leaves them in the update folder; the updater merges them.
"$bin/make_updates" "$install"
# The COT and IDX history and its weekly COT and daily IDX update files.
if [ -x "$bin/make_cot_idx" ]; then
    "$bin/make_cot_idx" "$install"
fi
# The build files a user's front end hands to DFORGE.
if [ -x "$bin/make_build_files" ]; then
    "$bin/make_build_files" "$install"
fi

run_tool() {
    program=$1
    shift
    echo "==== $program${1:+ $*}"
    "$bin/$program" "$@" </dev/null
    echo
}

# The user's front end built each build file of the AUTO folder once, on the
# day of the user's last update; DFORGE listed them in BCAST.TXT, and from
# then on the updater's broadcast carries each day's updates into them.
for path in "$install"/AUTO/\$*; do
    [ -f "$path" ] || continue
    (QUORVANT_TODAY=2020-12-04 && export QUORVANT_TODAY && run_tool DFORGE "$(basename "$path")")
done
shown=ASCII/BUILT/INDEXES.TXT
if [ -f "$install/$shown" ]; then
    echo "==== $shown, last lines before the broadcast"
    tail -n 3 "$install/$shown"
    echo
fi

# The request for the download: what the databases still lack up to today,
# leaving out what already waits in the update folder.
run_tool PREQUOR
echo "==== NEEDFIL2.TXT"
cat "$install/NEEDFIL2.TXT"
echo
run_tool POSTQUOR
run_tool QUORUP
if [ -f "$install/$shown" ]; then
    echo "==== $shown, last lines after the broadcast"
    tail -n 3 "$install/$shown"
    echo
fi
echo "==== QUORUP.MSG"
cat "$install/QUORUP.MSG"
echo
# The updater's follow-up batch file rebuilds the outputs of rolled contracts
# when it listed any in $ROLL; the list is built again here to show it.
if [ -f "$install/\$ROLL" ]; then
    run_tool DFORGE '$ROLL'
fi
# Each ASCII output's first and last lines, as the broadcast and the
# rebuilds of rolled contracts left them.
for output in "$install"/ASCII/BUILT/*.TXT; do
    [ -f "$output" ] || continue
    echo "==== ${output#"$install"/}"
    head -n 4 "$output"
    echo "..."
    tail -n 2 "$output"
    echo
done
# The MetaStock directory the builder wrote: MASTER and each series' data and
# column files, with their sizes.
if [ -f "$install/META/BUILT/MASTER" ]; then
    echo "==== META/BUILT"
    (cd "$install/META/BUILT" && wc -c MASTER F*.DAT F*.DOP)
    echo
fi
echo "==== BCAST.TXT"
cat "$install/BCAST.TXT" 2>/dev/null || true
echo
run_tool DFANOUT
# What the distributor carried into the user's contract files (the updater's
# follow-up batch file already ran it while EU files were waiting): the
# contract folders, one ASCII file's last lines and the day noted for the
# next request.
echo "==== distributed contract files"
(cd "$install" && ls -d ASCII/?? META/?? 2>/dev/null | while read -r folder; do ls "$folder" | sed "s|^|$folder/|"; done)
for contract in "$install"/ASCII/??/*.TXT; do
    [ -f "$contract" ] || continue
    echo "==== ${contract#"$install"/}, last lines"
    tail -n 4 "$contract"
    break
done
echo "==== $(grep '^EU LAST DATE' "$install/QUORUP.INI" || echo 'no EU LAST DATE')"
echo
run_tool MKPICKS
run_tool roll
echo "==== ROLLSHOW.TXT"
cat "$install/ROLLSHOW.TXT"
echo
run_tool clcconv /1
run_tool clcconv /2
# The database for today's tools: a SQLite file (a second run adds only what
# changed) and a chart of the wheat series beside its back adjustment.
if [ -x "$bin/qvexport" ]; then
    run_tool qvexport --sqlite "$install/QUORVANT.SQLITE"
    run_tool qvexport --sqlite "$install/QUORVANT.SQLITE"
fi
if [ -x "$bin/qvchart" ]; then
    run_tool qvchart W_ "$install/W_.png"
fi
echo "==== sample installation in $install"

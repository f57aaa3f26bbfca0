#!/bin/sh
# Installs the build into a scratch prefix, makes the tree read-only and runs
# the installed program there as an ordinary user: root drops to nobody, any
# other user runs as itself. The user's data folder (XDG_DATA_HOME) is a scratch
# folder. Checks: f2tp-cli set and sections without DIR; the main window types
# a value, closes and finds it after a new start; the installed tree is byte
# for byte what cmake --install wrote.
# Usage: installed_user_test.sh BUILD-DIR [WINDOW-TEST-EXECUTABLE]
set -eu
build=$1
window_test=${2:-}

scratch=$(mktemp -d)
cleanup() { chmod -R u+w "$scratch" 2>/dev/null || true; rm -rf "$scratch"; }
trap cleanup EXIT
chmod 755 "$scratch"
prefix=$scratch/prefix
home=$scratch/home

fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
[ -x "$prefix/bin/f2tp-cli" ] || fail "no bin/f2tp-cli in the installed tree"
[ -f "$prefix/share/f2tp/data/KLZAV.xml" ] || fail "no share/f2tp/data in the installed tree"
[ -f "$prefix/share/f2tp/шаблоны/2TPV.TVX" ] || fail "no share/f2tp/шаблоны in the installed tree"
if [ -n "$window_test" ]; then
    cp "$window_test" "$prefix/bin/"
    window_test=$prefix/bin/$(basename "$window_test")
fi
chmod -R a+rX,a-w "$prefix"
tree() { (cd "$prefix" && find . -printf '%p %m %s\n' | LC_ALL=C sort && find . -type f -exec sha256sum {} + | LC_ALL=C sort); }
before=$(tree)

mkdir -p "$home"
if [ "$(id -u)" -eq 0 ]; then
    chown 65534:65534 "$home"
    as_user() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
else
    as_user() { "$@"; }
fi
run() {
    as_user env -i PATH=/usr/bin:/bin HOME="$home" XDG_DATA_HOME="$home/data" \
        XDG_RUNTIME_DIR="$home/run" LC_ALL="${LC_ALL:-C.UTF-8}" QT_QPA_PLATFORM=offscreen "$@"
}
as_user mkdir -m 700 "$home/run"

report=$home/data/f2tp
if [ -n "$window_test" ]; then
    run "$window_test" typeAndClose >"$scratch/window1.log" 2>&1 ||
        { cat "$scratch/window1.log"; fail "the window did not keep the typed value"; }
    [ -f "$report/data/F2TPR1.xml" ] || fail "the window saved nothing into $report/data"
    run "$window_test" startAgain >"$scratch/window2.log" 2>&1 ||
        { cat "$scratch/window2.log"; fail "the value is not back after a new start"; }
fi

run "$prefix/bin/f2tp-cli" set 1 105 C2 5 --decimal-separator . ||
    fail "f2tp-cli set without DIR failed"
run "$prefix/bin/f2tp-cli" sections --decimal-separator . >"$scratch/sections.txt" ||
    fail "f2tp-cli sections without DIR failed"
# Column C2 of a row of section 1 in the printed sections.
section1_c2() {
    awk -F '\t' -v row="$1" '
        /^R1Table$/ { inside = 1; getline; for (i = 1; i <= NF; i++) col[$i] = i; next }
        /^$/ { inside = 0 }
        inside && $col["CA"] == row { print $col["C2"] }' "$scratch/sections.txt"
}
[ "$(section1_c2 105)" = "5" ] || fail "row 105 lacks the value set: $(cat "$scratch/sections.txt")"
if [ -n "$window_test" ]; then
    [ "$(section1_c2 104)" = "12.5" ] || fail "f2tp-cli does not see the value typed in the window"
fi
# A report folder named on the command line that holds only data/: the
# templates come from the installed resources.
run mkdir -p "$home/отчет"
run cp -r "$report/data" "$home/отчет/"
run "$prefix/bin/f2tp-cli" protocol "$home/отчет" --pdf "$home/протокол.pdf" ||
    fail "f2tp-cli protocol on a folder holding only data/ failed"
[ -s "$home/протокол.pdf" ] || fail "no protocol written"
[ -f "$report/data/F2TPR1.xml" ] || fail "f2tp-cli wrote nothing into $report/data"

after=$(tree)
[ "$before" = "$after" ] || fail "the installed tree changed"
echo "installed tree unchanged; report in $report"

#!/usr/bin/env bash
# Builds the Debian package and the Windows ZIP, installs the package into a scratch root,
# runs the installed logtally on the sample log and checks what both packages hold.
set -euo pipefail
cd "$(dirname "$0")/../.."
passed=0
failed=0
check() {
    local what=$1
    shift
    if "$@"; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $what" >&2
    fi
}

scripts/package.sh >/dev/null
deb=$(realpath build/native/logtally_*_*.deb)
zip=$(realpath build/win32/logtally-*-win32.zip)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

contents=$(dpkg-deb -c "$deb")
check "the package holds /usr/bin/logtally" grep -q ' ./usr/bin/logtally$' <<<"$contents"
check "the package holds the manual page" grep -q ' ./usr/share/man/man1/logtally.1' <<<"$contents"
check "the package names its license" grep -q ' ./usr/share/doc/logtally/copyright$' <<<"$contents"
check "the package has a description" grep -q 'Description: count calls' <<<"$(dpkg-deb -I "$deb")"

dpkg-deb -x "$deb" "$scratch/root"
# Every run analyses the same relative path, so the reports' titles agree too.
mkdir "$scratch/run" "$scratch/installed" "$scratch/windows"
cp examples/sample.log "$scratch/run/day.log"
built=$PWD/build/native/logtally
cd "$scratch/run"
check "the installed logtally analyses the sample" ../root/usr/bin/logtally day.log >/dev/null 2>&1
mv DAY-*.txt ../installed/

listing=$(cmake -E tar tf "$zip")
check "the ZIP holds logtally.exe" grep -q '/logtally.exe$' <<<"$listing"
check "the ZIP holds README.txt" grep -q '/README.txt$' <<<"$listing"
(cd .. && cmake -E tar xf "$zip")
check "the ZIP's logtally.exe analyses the sample under Wine" \
    env WINEDEBUG=-all wine ../logtally-*-win32/logtally.exe day.log >/dev/null 2>&1
mv DAY-*.txt ../windows/

"$built" day.log >/dev/null 2>&1
for report in DAY-calls.txt DAY-extlist.txt DAY-linelist.txt; do
    check "the installed logtally writes $report as the built one does" \
        cmp -s ../installed/$report $report
    check "the ZIP's logtally.exe writes $report as the native build does" \
        cmp -s ../windows/$report $report
done
readme=$(ls ../logtally-*-win32/README.txt)
check "the ZIP's README has CR LF line ends" \
    test "$(grep -c $'\r$' "$readme")" -eq "$(wc -l <"$readme")"
check "the manual page renders without warnings" \
    test -z "$(groff -ww -z -man ../root/usr/share/man/man1/logtally.1 2>&1)"

echo "package checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

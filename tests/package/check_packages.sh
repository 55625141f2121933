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
deb=$(ls build/native/logtally_*_*.deb)
zip=$(ls build/win32/logtally-*-win32.zip)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

contents=$(dpkg-deb -c "$deb")
check "the package holds /usr/bin/logtally" grep -q ' ./usr/bin/logtally$' <<<"$contents"
check "the package holds the manual page" grep -q ' ./usr/share/man/man1/logtally.1' <<<"$contents"
check "the package names its license" grep -q ' ./usr/share/doc/logtally/copyright$' <<<"$contents"
check "the package has a description" grep -q 'Description: count calls' <<<"$(dpkg-deb -I "$deb")"

dpkg-deb -x "$deb" "$scratch/root"
cp examples/sample.log "$scratch/day.log"
check "the installed logtally analyses the sample" \
    "$scratch/root/usr/bin/logtally" "$scratch/day.log" >"$scratch/out.txt"
check "the installed logtally wrote the combined report" test -s "$scratch/DAY-calls.txt"
check "the installed logtally reports the same as the built one" \
    cmp -s <(tr -d '\r' <"$scratch/out.txt" | tail -3 | sed 's#.*/##') \
           <(build/native/logtally "$scratch/day.log" | tr -d '\r' | tail -3 | sed 's#.*/##')

listing=$(cmake -E tar tf "$zip")
check "the ZIP holds logtally.exe" grep -q '/logtally.exe$' <<<"$listing"
check "the ZIP holds README.txt" grep -q '/README.txt$' <<<"$listing"
(cd "$scratch" && cmake -E tar xf "$OLDPWD/$zip")
readme=$(ls "$scratch"/logtally-*-win32/README.txt)
check "the ZIP's README has CR LF line ends" \
    test "$(grep -c $'\r$' "$readme")" -eq "$(wc -l <"$readme")"

echo "package checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Builds the Debian package and the Windows ZIP, verifies their SHA256SUMS, has lintian judge
# the Debian package, installs it into a scratch root, runs the installed logtally on the
# sample log and checks what both packages hold.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/packages.sh
need_packages "${package_check_packages[@]}"
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

# SHA256SUMS lists both packages by their bare names, and they match it.
sums_verify() {
    (cd "$(dirname "$deb")" &&
        test "$(cut -d' ' -f3 SHA256SUMS)" = "$(basename "$deb")"$'\n'"$(basename "$zip")" &&
        sha256sum --strict --quiet -c SHA256SUMS)
}

# No error (E:) or warning (W:) from lintian at its default level. Its notice about running
# as root is not about the package.
lintian_clean() {
    local said status=0
    said=$(lintian --fail-on error,warning "$1" 2>&1) || status=$?
    said=$(grep -vx 'running with root privileges is not recommended!' <<<"$said" || true)
    [ -z "$said" ] || echo "lintian: $said" >&2
    [ "$status" -eq 0 ] && ! grep -q '^[EW]: ' <<<"$said"
}

scripts/package.sh >/dev/null
deb=$(realpath build/packages/logtally_*_*.deb)
zip=$(realpath build/packages/logtally-*-win32.zip)
version=$(dpkg-deb -f "$deb" Version)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

check "SHA256SUMS lists both packages and verifies" sums_verify
check "lintian reports no error and no warning" lintian_clean "$deb"
contents=$(dpkg-deb -c "$deb")
check "the package holds /usr/bin/logtally" grep -q ' ./usr/bin/logtally$' <<<"$contents"
check "the package holds the compressed manual page" \
    grep -q ' ./usr/share/man/man1/logtally.1.gz$' <<<"$contents"
check "the package names its license" grep -q ' ./usr/share/doc/logtally/copyright$' <<<"$contents"
check "the package has a description" grep -q 'Description: count calls' <<<"$(dpkg-deb -I "$deb")"
# An empty Depends would mean dpkg-shlibdeps did not run.
check "Depends names the lowest libc6 the binary needs" \
    grep -Eqx 'libc6 \(>= [0-9][0-9.]*\)' <<<"$(dpkg-deb -f "$deb" Depends)"

dpkg-deb -x "$deb" "$scratch/root"
check "the changelog opens with the package's version" \
    grep -q "^logtally ($version) " <<<"$(zcat "$scratch/root/usr/share/doc/logtally/changelog.gz")"
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
    test -z "$(zcat ../root/usr/share/man/man1/logtally.1.gz | groff -ww -z -man 2>&1)"

echo "package checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

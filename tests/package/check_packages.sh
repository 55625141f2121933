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

# No tag at all from lintian, down to its informational and pedantic ones. Its notice about
# running as root is not about the package.
lintian_clean() {
    local said status=0
    said=$(lintian -I --pedantic --fail-on error,warning,info,pedantic "$1" 2>&1) || status=$?
    said=$(grep -vx 'running with root privileges is not recommended!' <<<"$said" || true)
    [ -z "$said" ] || echo "lintian: $said" >&2
    [ "$status" -eq 0 ] && [ -z "$said" ]
}

# The ELF program binds every symbol at start-up and carries no compiler notes.
hardened() {
    readelf -d "$1" | grep -q 'FLAGS.*BIND_NOW' && ! readelf -S "$1" | grep -q ' \.comment'
}

# logtally --version under COMMAND...: the package's version, then LICENSE's copyright line.
version_says() {
    local said
    said=$("$@" --version 2>&1 | tr -d '\r')
    [ "$(head -1 <<<"$said")" = "logtally $version" ] &&
        grep -qF "$(grep -m1 '^Copyright ' "$license")" <<<"$(sed -n 2p <<<"$said")"
}

scripts/package.sh >/dev/null
deb=$(realpath build/packages/logtally_*_*.deb)
zip=$(realpath build/packages/logtally-*-win32.zip)
version=$(dpkg-deb -f "$deb" Version)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

check "SHA256SUMS lists both packages and verifies" sums_verify
check "lintian -I --pedantic lists no tag" lintian_clean "$deb"
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
license=$PWD/LICENSE
check "the packaged logtally binds now and has no .comment section" \
    hardened "$scratch/root/usr/bin/logtally"
check "the installed logtally --version names the version and the copyright" \
    version_says "$scratch/root/usr/bin/logtally"
check "the manual page names the version" \
    grep -q "^\.TH LOGTALLY 1 .* \"logtally $version\"" \
    <<<"$(zcat "$scratch/root/usr/share/man/man1/logtally.1.gz")"
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
check "the ZIP holds LICENSE.txt" grep -q '/LICENSE.txt$' <<<"$listing"
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
check "the ZIP is named with the version" test -d "../logtally-$version-win32"
check "the ZIP's logtally.exe --version names the version and the copyright" \
    version_says env WINEDEBUG=-all wine ../logtally-*-win32/logtally.exe
for text in README.txt LICENSE.txt; do
    file=$(ls ../logtally-*-win32/$text)
    check "the ZIP's $text has CR LF line ends" \
        test "$(grep -c $'\r$' "$file")" -eq "$(wc -l <"$file")"
done
check "the ZIP's README.txt names the version" \
    grep -q "^logtally $version for Windows" ../logtally-*-win32/README.txt
check "the manual page renders without warnings" \
    test -z "$(zcat ../root/usr/share/man/man1/logtally.1.gz | groff -ww -z -man 2>&1)"

echo "package checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

# Installs the Debian packages a build needs, when they are missing (sourced by the scripts).
#
# need_packages NAME... : succeeds when every package is installed afterwards. As root the
# missing ones are named on standard error and installed with apt-get; otherwise the one
# apt-get line to run is printed.

apt_updated=0

package_missing() {
    local status
    status=$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null) || return 0
    [[ "$status" != *"ok installed"* ]]
}

need_packages() {
    local missing=() p
    for p in "$@"; do
        if package_missing "$p"; then missing+=("$p"); fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing packages; run as root: apt-get install -y --no-install-recommends ${missing[*]}" >&2
        return 1
    fi
    if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
        apt_updated=0
    fi
    echo "installing the missing Debian packages: ${missing[*]}" >&2
    local try
    for try in 1 2; do
        apt_install "${missing[@]}" && return 0
        [ "$try" -eq 1 ] && echo "apt-get failed; trying again in 30 s" >&2 && sleep 30
    done
    # A mirror in the middle of a sync can serve a security index that does not match its
    # release file for hours; the other suites still make a consistent set for a test machine.
    echo "apt-get failed again: installing without the security suite" >&2
    local sources
    sources=$(mktemp -d)
    without_security_sources "$sources"
    apt_updated=0
    local rc=0
    apt_install -o Dir::Etc::SourceParts="$sources" -o Dir::Etc::SourceList=/dev/null \
        "${missing[@]}" || rc=$?
    rm -rf "$sources"
    apt_updated=0
    return $rc
}

# apt_install [APT_OPTION...] NAME...: updates the package lists once, then installs.
apt_install() {
    local options=()
    while [ "${1:-}" = "-o" ]; do options+=("$1" "$2"); shift 2; done
    if [ "$apt_updated" -eq 0 ]; then
        apt-get "${options[@]}" update -q >/dev/null || return 1
        apt_updated=1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get "${options[@]}" install -y -q \
        --no-install-recommends "$@" >/dev/null || { apt_updated=0; return 1; }
}

# without_security_sources DIR: writes the system's package sources less the security suite
# into DIR.
without_security_sources() {
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -e "$f" ] || continue
        awk 'BEGIN { RS = ""; ORS = "\n\n" } !/-security/' "$f" > "$1/$(basename "$f")"
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -e "$f" ] || continue
        grep -v -- '-security' "$f" > "$1/$(basename "$f" .list).list" || true
    done
}

native_packages=(cmake ninja-build g++ googletest groff-base)
# The cross compiler builds logtally.exe; Wine runs it and its tests.
cross_packages=(g++-mingw-w64-i686)
win32_packages=("${cross_packages[@]}" wine wine32:i386)
# The sanitizer build uses the native packages; the fuzz targets need clang with the
# libFuzzer and sanitizer runtimes. util-linux gives the end-to-end cases flock, setsid and
# unshare; python3 writes the differential test's logs.
fuzz_packages=(clang clang-14 libclang-rt-14-dev)
e2e_packages=(util-linux python3)
# CPack takes the Debian package's Depends from dpkg-shlibdeps (dpkg-dev), run on the files
# that `file` calls executables; the .comment section goes with objcopy (binutils); the
# package check runs lintian on the package.
package_packages=(dpkg-dev file binutils)
package_check_packages=(lintian)

# Creates the Wine prefix once, so that tests running in parallel do not race to create it.
prepare_wine() {
    WINEDEBUG=-all wineboot -i >/dev/null 2>&1 || true
    # A Wine server of another program on the same prefix never ends: wait a minute at most.
    WINEDEBUG=-all timeout 60 wineserver -w >/dev/null 2>&1 || true
}

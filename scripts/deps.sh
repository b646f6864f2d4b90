#!/usr/bin/env bash
# Installs what building, running and testing Quillpad needs on Debian 12,
# generates the Japanese locale. Safe to run again: it only acts on what is missing.
set -euo pipefail

# Debian package names, and a command or file that shows each group is there.
NATIVE_PKGS="cmake make g++ ninja-build googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev"
CROSS_PKGS="g++-mingw-w64-i686 binutils-mingw-w64-i686"
RUN_PKGS="wine wine32:i386 xvfb xdotool locales fonts-ipafont-gothic imagemagick x11-apps x11-xserver-utils libxinerama1:i386 libxrandr2:i386 xclip syncthing"

missing=()
need() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed' || missing+=("$1"); }
for p in $NATIVE_PKGS $CROSS_PKGS $RUN_PKGS; do need "$p"; done

has_ja_locale() { locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; }

if [ ${#missing[@]} -eq 0 ] && has_ja_locale; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "Quillpad needs these packages: ${missing[*]:-(none)} and the ja_JP.UTF-8 locale. Run as root:" >&2
    echo "  dpkg --add-architecture i386 && apt-get update && apt-get install -y ${missing[*]:-locales} && sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen && locale-gen" >&2
    exit 1
fi

if [ ${#missing[@]} -gt 0 ]; then
    echo "deps: installing ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    export DEBIAN_FRONTEND=noninteractive
    # A mirror in the middle of a sync fails one list: the others still serve.
    # Then the packages come from the release's own suite, whose versions
    # exist for both architectures (an update suite may lack its i386 list).
    suite=()
    if ! apt-get update -qq 2>/tmp/quillpad-apt.err; then
        echo "deps: some package lists could not be refreshed ($(grep -m1 '^E:' /tmp/quillpad-apt.err | cut -c4- | cut -c1-160)); going on with the lists at hand" >&2
        suite=(-t "$(. /etc/os-release && echo "$VERSION_CODENAME")")
    fi
    if ! apt-get install -y -qq --no-install-recommends "${suite[@]}" "${missing[@]}" >/dev/null 2>/tmp/quillpad-apt.err; then
        echo "deps: could not install ${missing[*]}: $(grep -m1 '^E:' /tmp/quillpad-apt.err | cut -c4-)" >&2
        exit 1
    fi
fi

if ! has_ja_locale; then
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi

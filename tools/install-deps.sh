#!/usr/bin/env bash
# Installs everything the build, the program under Wine and the tests need on a
# Debian 12 machine. Idempotent: a second run only checks. Run as root.
set -euo pipefail

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: run as root (apt-get needs it)" >&2
    exit 1
  fi
}

PKGS=(
  cmake ninja-build g++ clang llvm git
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  valgrind clang-format
  g++-mingw-w64-i686 mingw-w64-i686-dev
  wine wine32:i386 wine64
  xvfb xdotool x11-utils imagemagick
  pulseaudio pulseaudio-utils
  locales fonts-ipafont-gothic fonts-noto-cjk
  procps zip unzip
)

missing=()
have_i386=0
dpkg --print-foreign-architectures | grep -qx i386 && have_i386=1
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "$have_i386" -eq 0 ] || [ "${#missing[@]}" -gt 0 ]; then
  need_root
  export DEBIAN_FRONTEND=noninteractive
  if [ "$have_i386" -eq 0 ]; then dpkg --add-architecture i386; fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine reports code page 932 only when the Unix locale exists.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  need_root
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
echo "install-deps: ok"

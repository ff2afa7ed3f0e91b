#!/usr/bin/env bash
# Installs everything the build, the program under Wine and the tests need on a
# Debian 12 machine. Idempotent: a second run only checks. Run as root.
#
# A package mirror in the middle of a sync can serve a list that does not
# match its index ("File has unexpected size ... Mirror sync in progress?"),
# often for one architecture of one suite only. The amd64 libraries of the
# security suite then have no i386 twins of the same version and apt refuses
# wine32:i386 ("held broken packages"). So the lists are fetched again with
# back-off, and when they stay inconsistent the packages are installed in
# versions both architectures have: first preferring the release's own
# suites, then with the security suite left out for this one install. Every
# step says what it did; the script fails only when nothing works.
set -uo pipefail

say() { echo "install-deps: $*"; }

need_root() {
  if [ "$(id -u)" -ne 0 ]; then
    say "run as root (apt-get needs it)" >&2
    exit 1
  fi
}

PKGS=(
  cmake ninja-build g++ clang llvm git
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  valgrind clang-format
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
  wine wine32:i386 wine64
  xvfb xdotool x11-utils imagemagick
  pulseaudio pulseaudio-utils
  locales fonts-ipafont-gothic fonts-noto-cjk
  procps zip unzip
)

# Seconds to wait before each further download of the lists.
read -r -a RETRY_DELAYS <<<"${VOLMARU_APT_RETRY_DELAYS:-10 30 60 120}"
LOG=$(mktemp /tmp/install-deps.XXXXXX)
SOURCES_DIR=""
cleanup() {
  rm -f "$LOG"
  [ -n "$SOURCES_DIR" ] && rm -rf "$SOURCES_DIR"
}
trap cleanup EXIT

missing_packages() {
  missing=()
  for p in "${PKGS[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
}

# The first error lines apt printed, for the user.
apt_errors() { grep -E '^(E|W): ' "$LOG" | head -"${1:-4}" | sed 's/^/    /'; }

APT=(apt-get -o DPkg::Lock::Timeout=300 -o Acquire::Retries=3)

update_lists() {
  local attempt=0 delay
  for delay in 0 "${RETRY_DELAYS[@]}"; do
    if [ "$delay" -gt 0 ]; then
      say "the package lists are inconsistent; downloading them again in ${delay}s"
      sleep "$delay"
    fi
    attempt=$((attempt + 1))
    # apt-get update exits 0 even when some lists failed; its "E:" lines tell.
    if "${APT[@]}" update -qq >"$LOG" 2>&1 && ! grep -q '^E: ' "$LOG"; then
      [ "$attempt" -gt 1 ] && say "the package lists downloaded on attempt $attempt"
      return 0
    fi
    say "downloading the package lists failed (attempt $attempt):"
    apt_errors
  done
  return 1
}

# The release's own code name (bookworm) and a copy of the sources without
# the security suite, for installs that must take both architectures from the
# release's suites.
codename() { . /etc/os-release && echo "${VERSION_CODENAME:-}"; }

sources_without_security() {
  SOURCES_DIR=$(mktemp -d /tmp/install-deps-sources.XXXXXX)
  mkdir -p "$SOURCES_DIR/parts"
  local f
  : >"$SOURCES_DIR/sources.list"
  if [ -f /etc/apt/sources.list ]; then
    grep -v -E '^[[:space:]]*deb(-src)?[[:space:]].*-security' /etc/apt/sources.list >"$SOURCES_DIR/sources.list"
  fi
  for f in /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    grep -v -E '^[[:space:]]*deb(-src)?[[:space:]].*-security' "$f" >"$SOURCES_DIR/parts/${f##*/}"
  done
  # deb822 files: the "-security" suites leave their stanzas' Suites lines;
  # a stanza left with no suite goes.
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk '
      function flush() { if (buf != "" && keep) printf "%s\n", buf; buf = ""; keep = 1 }
      BEGIN { keep = 1 }
      /^[[:space:]]*$/ { flush(); next }
      /^Suites:/ {
        n = split(substr($0, 8), s, /[[:space:]]+/); line = ""
        for (i = 1; i <= n; i++) if (s[i] != "" && s[i] !~ /-security$/) line = line " " s[i]
        if (line == "") keep = 0
        $0 = "Suites:" line
      }
      { buf = buf $0 "\n" }
      END { flush() }' "$f" >"$SOURCES_DIR/parts/${f##*/}"
  done
}

try_install() {  # try_install DESCRIPTION [apt options...]
  local what=$1
  shift
  say "installing ${#missing[@]} packages ($what)"
  if "${APT[@]}" "$@" install -y -q --no-install-recommends "${missing[@]}" >"$LOG" 2>&1; then
    return 0
  fi
  say "that failed:"
  apt_errors 6
  return 1
}

install_missing() {
  local release lists_ok=1
  release=$(codename)
  update_lists || lists_ok=0
  if [ "$lists_ok" -eq 0 ]; then
    say "the package lists stayed inconsistent; carrying on with the lists that did download"
  fi
  try_install "newest versions" && return 0
  if [ -n "$release" ]; then
    try_install "preferring the release's own suite '$release' for both architectures" -t "$release" && {
      say "installed from '$release': some packages are not at their newest security update"
      return 0
    }
    sources_without_security
    local without=(-o Dir::Etc::SourceList="$SOURCES_DIR/sources.list" -o Dir::Etc::SourceParts="$SOURCES_DIR/parts")
    "${APT[@]}" "${without[@]}" update -qq >"$LOG" 2>&1 || say "the release's lists did not download either"
    try_install "with the security suite left out for this install" \
      "${without[@]}" -t "$release" && {
      say "installed without the security suite: some packages are not at their newest security update"
      # The full lists again, so that later apt commands see the security suite.
      "${APT[@]}" update -qq >/dev/null 2>&1 || true
      return 0
    }
  fi
  return 1
}

missing_packages
have_i386=0
dpkg --print-foreign-architectures | grep -qx i386 && have_i386=1
if [ "$have_i386" -eq 0 ] || [ "${#missing[@]}" -gt 0 ]; then
  need_root
  export DEBIAN_FRONTEND=noninteractive
  if [ "$have_i386" -eq 0 ]; then
    dpkg --add-architecture i386
    say "added the i386 architecture"
  fi
  if [ "${#missing[@]}" -gt 0 ]; then
    say "missing: ${missing[*]}"
    if ! install_missing; then
      say "FAILED: the packages could not be installed from this machine's package sources."
      say "Tried: the lists downloaded $(( ${#RETRY_DELAYS[@]} + 1 )) times with back-off; the newest versions;"
      say "the release's own suite for both architectures; the release without the security suite."
      say "Check the network and /etc/apt/sources.list*, then run tools/install-deps.sh again."
      exit 1
    fi
    missing_packages
    if [ "${#missing[@]}" -gt 0 ]; then
      say "FAILED: apt reported success but these are still missing: ${missing[*]}"
      exit 1
    fi
  fi
fi

# Wine reports code page 932 only when the Unix locale exists.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  need_root
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
  say "generated the ja_JP.UTF-8 locale"
fi
say "ok"

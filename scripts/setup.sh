#!/usr/bin/env bash
# Installs the Debian packages the project needs. Quick when all are present.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format
  qt6-base-dev libgl-dev fonts-dejavu-core
  libgtest-dev libbenchmark-dev
)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
updated=0

# Installs those of the given packages that are not installed yet.
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  if [ "$updated" -eq 0 ]; then
    $sudo apt-get update -qq
    updated=1
  fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

install_missing "${packages[@]}"

# The sanitizer and fuzzer runtimes come in a package named for clang's major
# version, so it is chosen after clang is there.
major=$(clang --version | sed -n 's/.*clang version \([0-9][0-9]*\).*/\1/p' | head -n 1)
if [ -z "$major" ]; then
  echo "setup.sh: cannot tell the version of clang from 'clang --version'" >&2
  exit 1
fi
install_missing "libclang-rt-${major}-dev"

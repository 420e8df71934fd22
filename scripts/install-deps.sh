#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Idempotent: asks apt only for what is missing, and updates the package lists only then.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config git ccache
  libgtest-dev libgmock-dev
  libsqlite3-dev libicu-dev
  nlohmann-json3-dev
  libzip-dev libpugixml-dev
  qt6-base-dev
  tzdata
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

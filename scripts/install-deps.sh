#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Idempotent: asks apt only for what is missing, and updates the package lists only then.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config git ccache clang-format
  libgtest-dev libgmock-dev
  libsqlite3-dev libicu-dev
  nlohmann-json3-dev
  libzip-dev zlib1g-dev libpugixml-dev
  qt6-base-dev
  tzdata
)

# Wanted where the machine allows, never required: the word processor's layout test converts merged
# documents with LibreOffice and counts the PDF's pages (it is skipped without them). QVL_NO_LIBREOFFICE=1
# leaves them out.
optional=(libreoffice-writer-nogui poppler-utils)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
missing_optional=()
if [ "${QVL_NO_LIBREOFFICE:-0}" != 1 ]; then
  for p in "${optional[@]}"; do
    installed "$p" || missing_optional+=("$p")
  done
fi

if [ ${#missing[@]} -eq 0 ] && [ ${#missing_optional[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
updated=0
update() {
  if [ $updated -eq 0 ]; then $SUDO apt-get update -qq && updated=1; fi
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ${#missing_optional[@]} -gt 0 ]; then
  echo "install-deps: installing where possible ${missing_optional[*]}"
  if ! { update && DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
           "${missing_optional[@]}"; }; then
    echo "install-deps: ${missing_optional[*]} could not be installed; the LibreOffice layout test will be skipped"
  fi
fi

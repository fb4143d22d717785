#!/usr/bin/env bash
# Installs the Debian 12 packages the reader needs to build, test, package and run; only what
# is missing. dpkg-dev computes the package's dependencies (dpkg-shlibdeps); the validators of
# its desktop entry and AppStream data, lintian for the whole package, man-db to read its manual
# page, and iproute2 for the package test's own network, serve the tests.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-declarative-dev qt6-webengine-dev qt6-translations-l10n
  xvfb xauth openbox fonts-dejavu-core fonts-liberation2
  clang libclang-rt-14-dev
  dpkg-dev desktop-file-utils appstream lintian man-db iproute2
  openssl  # the tests make their TLS certificates with it
  dbus-daemon  # the notification and screen reader tests run a session bus of their own
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

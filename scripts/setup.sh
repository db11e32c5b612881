#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and zan-browser need,
# and the mingw-w64 cross compilers and Wine for the Windows build (Wine's
# TLS package runs over GnuTLS, which Wine loads at run time).
# Idempotent: apt-get skips what is already there.
set -euo pipefail
pkgs=(g++ clang cmake ninja-build pkg-config libsqlite3-dev zlib1g-dev
      libcurl4-openssl-dev libgtest-dev libgmock-dev libbenchmark-dev
      qt6-base-dev qt6-webengine-dev qt6-webchannel-dev xvfb xauth
      dovecot-pop3d curl openssl libssl-dev libclang-rt-14-dev python3 flex bison
      hyperfine mingw-w64 mingw-w64-tools libz-mingw-w64-dev wine64 libwine-dev
      libgnutls30 googletest)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

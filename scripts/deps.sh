#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail
# libclang-rt-14-dev: libFuzzer and the sanitizer runtimes of Debian's Clang (scripts/fuzz).
# The Windows cross build (scripts/windows-build): MinGW-w64 with POSIX threads, GoogleTest's
# sources to compile with it, Wine to run its test programs, and xvfb for their window tests.
# qt6-base-dev builds the desktop window; fonts-ipafont-gothic gives it a Japanese font.
packages=(cmake ninja-build g++ clang libclang-rt-14-dev libgtest-dev libgmock-dev
          libbenchmark-dev libboost-dev python3 python3-ezdxf python3-shapely
          g++-mingw-w64-x86-64-posix googletest wine wine64 xvfb
          qt6-base-dev fonts-ipafont-gothic)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi

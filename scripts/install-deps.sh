#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when they are missing: clang
# with its libFuzzer and sanitizer runtimes (libclang-rt-14-dev) and llvm's symbolizer build
# and run the fuzz harnesses.
set -euo pipefail
packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libstb-dev
  clang libclang-rt-14-dev llvm)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

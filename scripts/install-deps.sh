#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when they are missing: the
# toolchain and test libraries, Qt 6 for the desktop program, Xvfb with a font for pictures of
# its windows, and clang with its libFuzzer and sanitizer runtimes (libclang-rt-14-dev) and
# llvm's symbolizer for the fuzz harnesses.
set -euo pipefail
packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev libstb-dev
  qt6-base-dev qt6-charts-dev qt6-svg-dev fonts-dejavu-core xvfb xauth libzstd-dev
  clang libclang-rt-14-dev llvm)
packages+=(python3-dendropy)  # a test reads the NEXUS tree files with /usr/bin/python3
packages+=(snakemake)         # the cluster workflow of examples/cluster, run by a test
packages+=(bcftools)          # a test reads the VCF files of the example study
# the validation suite (validation/) and its tests, run by /usr/bin/python3
packages+=(python3-numpy python3-scipy python3-matplotlib)
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

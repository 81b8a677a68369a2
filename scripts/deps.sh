#!/usr/bin/env bash
# Installs what building, testing and running omxml needs on Debian 12, if missing.
# Run as root (or with sudo available).
set -euo pipefail

packages=(cmake g++ make pkg-config libxml2-dev libgtest-dev libgmock-dev locales libcli11-dev help2man)
if [ "${OMXML_WITH_BENCH:-0}" = 1 ]; then
  packages+=(libbenchmark-dev libpugixml-dev librapidxml-dev libxml2-utils)
fi
if [ "${OMXML_WITH_FUZZ:-0}" = 1 ]; then
  packages+=(clang libclang-rt-14-dev)
fi
if [ "${OMXML_WITH_TIDY:-0}" = 1 ]; then
  packages+=(clang-tidy clang-format)
fi

bash "$(dirname "$0")/apt.sh" "${packages[@]}"

as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }

# A locale whose decimal separator is a comma, for the locale-aware number tests.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  as_root sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi
# A locale whose decimal separator is two bytes in UTF-8 (U+066B), for the multi-byte separator tests.
if ! locale -a 2>/dev/null | grep -qi '^ps_AF\.utf-\?8$'; then
  as_root localedef -i ps_AF -f UTF-8 ps_AF.UTF-8
fi

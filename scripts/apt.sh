#!/usr/bin/env bash
# Installs those of the Debian packages named that are missing (as root, or
# through sudo). Usage: bash scripts/apt.sh PACKAGE...
set -euo pipefail
missing=()
for p in "$@"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -gt 0 ] || exit 0
as_root() { if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi; }
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
as_root apt-get update -qq
as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

#!/usr/bin/env bash
# Checks that the set-up script names, itself or through what those packages depend on, every
# Debian package whose files the configured build reads (CMake package files and pkg-config
# modules). A package that came in by hand, or only as a recommendation, passes the build on
# this machine and fails it on a fresh one.
# Usage: check-packages.sh [build folder]. Exit 0: all named; 1: some missing; 77: cannot check.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${VELMORA_BUILD_DIR:-$root/build}}
cache="$build/CMakeCache.txt"
command -v apt-get >/dev/null && command -v dpkg >/dev/null || { echo "no apt-get/dpkg here"; exit 77; }
[ -f "$cache" ] || { echo "not configured: $cache"; exit 77; }

mapfile -t named < <(sed -n '/^PACKAGES=(/,/^)/p' "$root/scripts/setup.sh" | grep -v '[()]' | tr -s ' \t' '\n' | grep -v '^$')
empty=$(mktemp)
trap 'rm -f "$empty"' EXIT
# What a fresh machine gets from the list: the packages and all they depend on.
closure=$(apt-get -s -o Dir::State::status="$empty" install --no-install-recommends "${named[@]}" 2>/dev/null |
          awk '/^Inst /{print $2}' | sort -u)
[ -n "$closure" ] || { echo "apt-get could not resolve the set-up list"; exit 1; }

files=()
while IFS= read -r dir; do
  [ -d "$dir" ] || continue
  for f in "$dir"/*Config.cmake "$dir"/*-config.cmake; do [ -f "$f" ] && files+=("$f"); done
done < <(sed -n 's/^[A-Za-z0-9_]*_DIR:PATH=\(\/.*\)$/\1/p' "$cache")
while IFS= read -r module; do
  dir=$(pkg-config --variable=pcfiledir "$module" 2>/dev/null) || continue
  files+=("$dir/$module.pc")
done < <(sed -n 's/^__pkg_config_arguments_[A-Z0-9_]*:INTERNAL=.*IMPORTED_TARGET;\(.*\)$/\1/p' "$cache" | tr ';' '\n' | grep -v '^$' | sort -u)
# The libraries those modules link: their unversioned names come from the -dev packages.
while IFS= read -r lib; do
  [ -e "$lib" ] && files+=("$lib")
done < <(sed -n 's/^pkgcfg_lib_[A-Za-z0-9_.+-]*:FILEPATH=\(\/.*\)$/\1/p' "$cache")

missing=0
for f in "${files[@]}"; do
  owner=$(dpkg -S "$f" 2>/dev/null || dpkg -S "$(realpath "$f")" 2>/dev/null || true)
  pkg=${owner%%:*}
  pkg=${pkg%%,*}
  [ -n "$pkg" ] || continue # a file of no package (built here) is not the set-up's business
  if ! grep -qx "$pkg" <<<"$closure"; then
    echo "missing from scripts/setup.sh: $pkg (for $f)"
    missing=1
  fi
done
echo "checked ${#files[@]} package files against ${#named[@]} named packages"
exit $missing

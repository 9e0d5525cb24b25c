#!/usr/bin/env bash
# Installs what Velmora needs on Debian 12 and registers the SQLite3 ODBC driver under the
# name the connection string uses. Safe to run again.
set -euo pipefail

PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
  qt6-base-dev libqt6opengl6-dev qt6-charts-dev qt6-svg-dev
  unixodbc-dev odbcinst libsqliteodbc libsqlite3-dev sqlite3
  libcurl4-openssl-dev libgmime-3.0-dev libzip-dev libpugixml-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  poppler-utils libxml2-utils xvfb zip unzip dovecot-pop3d dovecot-core python3-aiosmtpd openssl xdg-utils fonts-wine
  python3-openpyxl python3-docx libxlsxwriter-dev libgumbo-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Debian names the driver "SQLite3"; the connection string asks for "SQLite3 ODBC Driver".
if ! odbcinst -q -d -n "SQLite3 ODBC Driver" >/dev/null 2>&1; then
  driver=$(find /usr/lib -name libsqlite3odbc.so 2>/dev/null | head -n 1)
  tmp=$(mktemp)
  printf '[SQLite3 ODBC Driver]\nDescription=SQLite3 ODBC Driver\nDriver=%s\nSetup=%s\nUsageCount=1\n' "$driver" "$driver" > "$tmp"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO odbcinst -i -d -f "$tmp" >/dev/null
  rm -f "$tmp"
fi

#!/usr/bin/env bash
# Installs the Debian packages Zanfiro needs to build, run and test.
# Only what is missing is installed, so a second run costs one dpkg query.
set -euo pipefail

build=(build-essential cmake ninja-build pkg-config qt6-base-dev libsqlite3-dev libpq-dev fonts-dejavu-core
       libgtest-dev libgmock-dev libbenchmark-dev libxcb1-dev mdbtools mdbtools-dev libglib2.0-dev sqlite3
       libqrencode-dev)
# Real-window checks run the program under an X server of their own; jwm
# draws the close box one of them clicks. desktop-file-validate checks the
# menu entry, and `file` lets CPack read the programs' library dependencies.
# pdftotext reads the printed sheets back and zbarimg the QR codes of the bin
# labels (from pdftoppm's picture of a page); strace kills a restore at
# each of its writes; appstreamcli and man check what the install puts
# around the programs. The accessibility, fault, soak and two-operator tests
# read what the window shows over the accessibility bus (a session bus, the
# AT-SPI registry, the Atspi bindings for Python) and hold a lock with
# Python's sqlite3. clang-format checks the code's shape; lintian checks the
# .deb as Debian would; postgresql is the server the tests start for
# themselves, openssl makes its TLS certificates.
test=(clang-format lintian postgresql openssl xvfb xauth xdotool x11-utils dbus-x11 imagemagick jwm desktop-file-utils file
      poppler-utils zbar-tools strace appstream man-db dbus-daemon dbus-bin at-spi2-core gir1.2-atspi-2.0 python3-gi python3)

want=("${build[@]}")
if [ "${1:-}" = "--tests" ]; then want+=("${test[@]}"); fi

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"

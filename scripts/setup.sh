#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail

PACKAGES=(cmake g++ make pkg-config ccache emscripten nodejs qt6-base-dev qt6-translations-l10n libgl-dev libgtest-dev libgmock-dev fonts-noto-cjk
          clang libclang-rt-14-dev xvfb xauth openbox x11-utils xdotool
          dpkg-dev debhelper lintian desktop-file-utils appstream librsvg2-bin shared-mime-info
          chromium firefox-esr)
# npm comes with some builds of nodejs; Debian's own nodejs has it as a package of its own.
command -v npm >/dev/null 2>&1 || PACKAGES+=(npm)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The browser tests' driver, exactly as locked; it never downloads a browser (chromium is Debian's).
cd "$(dirname "$0")/.."
if [ ! -f node_modules/.package-lock.json ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  echo "setup: npm ci" >&2
  PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund >/dev/null
fi

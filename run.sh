#!/usr/bin/env bash
# Installs what is missing, builds, prepares work/ and starts the workbench
# inside it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/scripts/setup.sh"

install_packages "${PACKAGES[@]}"
build_workbench
prepare_workdir

cd "$ROOT/work"
if [ -z "${DISPLAY:-}" ]; then
  echo "No DISPLAY: starting the workbench on a virtual screen (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 2560x1440x24" "$BUILD/workbench"
fi
exec "$BUILD/workbench"

#!/usr/bin/env bash
# Runs every test: installs what the machine lacks, builds the program and its
# tests for Windows, and runs them under Wine (ctest on the Wine bench).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash tools/setup-machine.sh
cmake --preset windows
cmake --build --preset windows
ctest --preset windows
# The build again in another folder, later: the same bytes (see docs/release.md).
bash tools/build/check-reproducible.sh --against build

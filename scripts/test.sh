#!/usr/bin/env bash
# Installs what Nivora needs, builds it with AddressSanitizer and UBSan, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake --preset debug >/dev/null
cmake --build --preset debug
ctest --preset debug

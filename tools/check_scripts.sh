#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs shellcheck (Debian's package, installed when missing) over the
# shell scripts: tools/ (the Windows ones included), bench/, .ci/run, the
# package's maintainer script and the tests written in shell. Any finding
# fails. Sourced files are followed (.shellcheckrc).
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=lib/packages.sh
source tools/lib/packages.sh
install_missing_packages shellcheck

scripts=(.ci/run debian/tunewell.postrm debian/tests/cli-download tests/packaging/install_test.sh tests/tools/script_lib_test.sh)
while IFS= read -r -d '' script; do
  scripts+=("$script")
done < <(find tools bench -name '*.sh' -type f -print0 | sort -z)
shellcheck -x "${scripts[@]}"
echo "shellcheck: ${#scripts[@]} scripts, nothing found"

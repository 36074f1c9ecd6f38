#!/usr/bin/env bash
# The data layer's exception (AppError) is caught only in the Widgets-free core, where the
# services turn it into an Outcome: outside it, no file catches it or includes its header
# or the services' helpers that catch it. Prints each such line and exits non-zero when
# there is any.
#   bash scripts/app-error-catches.sh [SRC_FOLDER]   (default ./src)
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"
allowed='/(data|services|bookmarks|jet|favorites|links)/'
pattern='catch \(const AppError|#include "(data/AppError|services/FailureOutcome)\.h"'
found="$(grep -rnE "$pattern" "$src" --include='*.cpp' --include='*.h' | grep -vE "^[^:]*$allowed" || true)"
[ -z "$found" ] && exit 0
echo "AppError caught or included outside the core (have a service return an Outcome instead):"
echo "$found"
exit 1

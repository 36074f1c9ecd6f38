#!/usr/bin/env bash
# The data layer's exception (AppError) is caught only in the Widgets-free core, where the
# services turn it into an Outcome. Prints each catch elsewhere and exits non-zero when
# there is any.
#   bash scripts/app-error-catches.sh [SRC_FOLDER]   (default ./src)
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"
allowed='/(data|services|bookmarks|jet|favorites|links)/'
found="$(grep -rnE 'catch \(const AppError' "$src" --include='*.cpp' --include='*.h' | grep -vE "^[^:]*$allowed" || true)"
[ -z "$found" ] && exit 0
echo "AppError caught outside the core (return an Outcome from a service instead):"
echo "$found"
exit 1

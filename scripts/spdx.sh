#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Adds the licence header to every source file of the project that lacks it, and changes nothing else: safe to
# run again at any time, for instance after merging a branch that added files.
#   scripts/spdx.sh           add the missing headers
#   scripts/spdx.sh --check   list the files that lack one; exit status 1 when there are any
set -euo pipefail
cd "$(dirname "$0")/.."

tag="SPDX-License-Identifier: GPL-3.0-or-later"
check=0
[ "${1:-}" = "--check" ] && check=1

missing=0
while IFS= read -r -d '' file; do
    [ -f "$file" ] || continue
    # Already there: the tag within the first three lines.
    if head -n 3 "$file" | grep -q "SPDX-License-Identifier:"; then
        continue
    fi
    missing=1
    if [ "$check" -eq 1 ]; then
        echo "$file"
        continue
    fi
    case "$file" in
        *.cpp | *.h | *.h.in) line="// $tag" ;;
        *) line="# $tag" ;;
    esac
    tmp=$(mktemp)
    if head -n 1 "$file" | grep -q '^#!'; then
        # A script keeps its interpreter line first.
        { head -n 1 "$file"; echo "$line"; tail -n +2 "$file"; } > "$tmp"
    else
        { echo "$line"; echo; cat "$file"; } > "$tmp"
    fi
    cat "$tmp" > "$file" # keeps the file's mode
    rm -f "$tmp"
done < <(git ls-files -z --cached --others --exclude-standard -- \
    '*.cpp' '*.h' '*.h.in' 'CMakeLists.txt' '*/CMakeLists.txt' '*.cmake' 'scripts/*.sh' '.ci/run')

if [ "$check" -eq 1 ] && [ "$missing" -eq 1 ]; then
    exit 1
fi
exit 0

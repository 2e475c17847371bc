#!/bin/bash
# check-symbols.sh LIBRARY EXPECTED: the library's public exports (every defined dynamic symbol
# outside a *_PRIVATE version node) are exactly the committed list, each with its version, and
# nothing is exported without a version. A change to the contract is a change to the list.
set -euo pipefail
library=$1 expected=$2
exports=$(nm -D --defined-only --format=posix "$library" | awk '$2 != "A" { print $1 }' |
  LC_ALL=C sort)
unversioned=$(grep -v '@' <<<"$exports" || true)
if [[ -n $unversioned ]]; then
  echo "exported without a symbol version from $library:"
  echo "$unversioned"
  exit 1
fi
public=$(grep -v '@@[A-Z_]*_PRIVATE$' <<<"$exports" || true)
if ! diff -u "$expected" <(if [[ -n $public ]]; then echo "$public"; fi); then
  echo "the public exports of $library are not $expected (above: - committed, + built)"
  exit 1
fi

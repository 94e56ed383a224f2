#!/bin/sh
# The layer check must fail on an include from a layer above, on a toolkit
# header outside the console and on an include without its folder, and pass
# a tree that keeps to its layers.
set -u
check="$1"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/lib" "$tree/panels" "$tree/fileops/query" "$tree/tests"
printf '#include "lib/a.h"\n' > "$tree/lib/b.cc"
printf '#include "console/cells.h"\n#include "fileops/query/paths.h"\n' > "$tree/panels/ok.cc"
printf '#include "shell/anything.h"\n' > "$tree/tests/free.cc"
python3 "$check" "$tree" >/dev/null || { echo "a clean tree was refused"; exit 1; }

printf '#include "panels/entry.h"\n' > "$tree/lib/up.cc"
printf '#include "config/config.h"\n' > "$tree/fileops/query/up.cc"
printf '#include <gtkmm/window.h>\n' > "$tree/panels/toolkit.cc"
printf '#include "sibling.h"\n' > "$tree/panels/bare.cc"
out=$(python3 "$check" "$tree") && { echo "upward includes passed the check"; exit 1; }
for bad in lib/up.cc fileops/query/up.cc panels/toolkit.cc panels/bare.cc; do
  echo "$out" | grep -q "^$bad:1:" || { echo "not reported: $bad"; echo "$out"; exit 1; }
done
echo "1 passed, 0 failed"

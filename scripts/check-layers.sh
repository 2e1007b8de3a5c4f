#!/usr/bin/env bash
# The folders of src/ form a stack: each may include only the folders listed
# before it. Fails, naming the file and the include, when one reaches up or
# when a folder is missing from the stack. Inside the folders, no module (a
# header with its .cpp) may reach itself through the includes: tsort names
# the modules of each circle.
set -euo pipefail
cd "$(dirname "$0")/../src"
stack=(platform files runtime screen input dialogs catalog numbers database formula sheet workbook commands terminal host app)
status=0
for folder in */; do
  folder=${folder%/}
  level=-1
  for i in "${!stack[@]}"; do [ "${stack[$i]}" = "$folder" ] && level=$i; done
  if [ "$level" -lt 0 ]; then
    echo "src/$folder is not in the stack of scripts/check-layers.sh"
    status=1
    continue
  fi
  allowed=" ${stack[*]:0:$((level + 1))} "
  while IFS=: read -r file line; do
    target=$(sed -E 's/^#include "([a-z_]+)\/.*/\1/' <<<"$line")
    if [[ "$allowed" != *" $target "* ]]; then
      echo "src/$file includes $target, which is above $folder: $line"
      status=1
    fi
  done < <(grep -rHoE '^#include "[a-z_]+/[^"]+"' "$folder" || true)
done

# One line "module included-module" per include between two modules.
edges=$(grep -rHoE '^#include "[a-z_]+/[a-z_0-9]+\.h"' --include='*.h' --include='*.cpp' . |
  sed -E 's|^\./([^:]+)\.(h\|cpp):#include "([^"]+)\.h"|\1 \3|' | awk '$1 != $2' | sort -u)
if ! circles=$(tsort <<<"$edges" 2>&1 >/dev/null) || [ -n "$circles" ]; then
  echo "include circles between modules of src/ (each list is one circle):"
  sed -E 's/^tsort: //; s/^-: input contains a loop:/--/' <<<"$circles"
  status=1
fi
exit $status

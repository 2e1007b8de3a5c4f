#!/usr/bin/env bash
# The folders of src/ form a stack: each may include only the folders listed
# before it. Fails, naming the file and the include, when one reaches up or
# when a folder is missing from the stack.
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
exit $status

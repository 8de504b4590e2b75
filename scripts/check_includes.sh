#!/usr/bin/env bash
# Fails when a source folder includes a header from a folder it may not use:
# dependencies point down only. The table is the one in the README's layout.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [base]=""
  [model]="base"
  [defs]="base"
  [edit]="base model"
  [mapio]="base model"
  [textures]="base model"
  [render]="base model textures"
  [platform]=""
  [tool]="base model defs edit mapio textures render platform"
  [app]="base model defs edit mapio textures render platform"
)

bad=0
for dir in src/*/; do
  folder=$(basename "$dir")
  if [[ ! -v allowed[$folder] ]]; then
    echo "src/$folder: a folder with no line in the include table" >&2
    bad=1
    continue
  fi
  while IFS= read -r hit; do
    used=${hit#*#include \"}
    used=${used%%/*}
    [ "$used" = "$folder" ] && continue
    [ -d "src/$used" ] || continue # a library's own header, such as a Qt one
    case " ${allowed[$folder]} " in
      *" $used "*) ;;
      *)
        echo "$hit: src/$folder may not include from src/$used" >&2
        bad=1
        ;;
    esac
  done < <(grep -rn '^#include "[a-z_]*/' "$dir" || true)
done
exit "$bad"

#!/usr/bin/env bash
# Fails, naming the line, when a source includes a folder of a higher layer than its own, or when core/
# includes Qt. The layers, lowest first:
#   core (no Qt) <- platform <- widgets <- settings <- dialogs <- forms <- main
# Usage: bash tools/check_layers.sh [SOURCE_DIR]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

layers=(core platform widgets settings dialogs forms main)
status=0
for ((i = 0; i < ${#layers[@]}; i++)); do
  layer=${layers[i]}
  [ -d "$layer" ] || continue
  forbidden=("${layers[@]:i+1}")
  pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*"('"$(IFS='|'; echo "${forbidden[*]:-none}")"')/'
  if [ "$layer" = core ]; then
    pattern="$pattern"'|^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q'
  fi
  while IFS= read -r hit; do
    echo "check_layers: $hit: $layer/ may only include lower layers (${layers[*]:0:i+1})" >&2
    status=1
  done < <(grep -nHE "$pattern" "$layer"/*.h "$layer"/*.cpp "$layer"/*.in 2>/dev/null || true)
done
if [ "$status" -eq 0 ]; then
  echo "check_layers: every include runs downward (${layers[*]})"
fi
exit "$status"

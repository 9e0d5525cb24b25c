#!/usr/bin/env bash
# Packs the spreadsheet templates the finance exports fill (resources/templates/src/<name>/)
# into resources/templates/<name>.xlsx. Run again after editing their parts.
set -euo pipefail
cd "$(dirname "$0")/../resources/templates"
for dir in src/*/; do
  name=$(basename "$dir")
  rm -f "$name.xlsx"
  (cd "$dir" && zip -q -X -D -r "../../$name.xlsx" '[Content_Types].xml' _rels xl)
done

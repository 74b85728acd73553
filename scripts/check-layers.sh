#!/bin/sh
# Folders stand in layers, bottom first; a folder includes headers of its own
# layer and of layers below it, never above. Prints each include that reaches
# up and fails when there is one.
cd "$(dirname "$0")/.." || exit 2
git ls-files 'src/*.cpp' 'src/*.h' 2>/dev/null | xargs awk '
  BEGIN { n = split("platform settings files transfer nctools extapps dnc ui app cli", order, " ")
          for (i = 1; i <= n; i++) rank[order[i]] = i }
  FNR == 1 { split(FILENAME, part, "/"); top = part[2] }
  /^[ \t]*#[ \t]*include[ \t]*"/ {
      target = $0; sub(/^[^"]*"/, "", target); sub(/".*/, "", target)
      split(target, dir, "/")
      if ((top in rank) && (dir[1] in rank) && rank[dir[1]] > rank[top]) {
          print FILENAME ": " target; bad = 1 }
  }
  END { exit bad }'

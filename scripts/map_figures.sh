#!/bin/sh
# The figures docs/architecture.md states about the code, measured on the
# tree as it stands, one "name value" line each:
#
#   scripts/map_figures.sh            print them
#   scripts/map_figures.sh --check    compare them with the map's table of
#                                     figures; a figure that differs fails
#                                     (CI runs this, so the map cannot drift)
set -u
cd "$(dirname "$0")/.."

# Function definitions that see the whole Game (a Game parameter, lambdas
# included, or a member of a class holding a Game): count_game_views.sh's
# count.
game_functions() {
  scripts/count_game_views.sh
}

figures() {
  echo "layer_libraries $(grep -c . build/layers.txt 2>/dev/null || echo 0)"
  echo "platform_services $(sed -n '/^struct Platform {/,/^};/p' src/platform/services.h | grep -cE '^  [A-Za-z]+& [a-z_]+;')"
  echo "whole_game_functions $(game_functions)"
  echo "whole_game_functions_outside_app $(grep -rlE '(const )?Game& [a-z_]+[,)]' src --include=*.cpp | grep -vc '^src/app/')"
  echo "flow_includes_of_app $(grep -rlE '#include "app/' src/choices src/save src/gallery src/title src/ending src/about | wc -l)"
  echo "silent_catches $(grep -rnE 'catch \(\.\.\.\) \{\}' src | wc -l)"
  # A string written back through a reference or a pointer as the account
  # of a failure, wherever it stands among the parameters.
  echo "error_out_parameters $(grep -rnP '(?<!const )std::string ?[&*] ?(error|why|err|reason|message|problem)\b' src | wc -l)"
  echo "free_text_log_events $(grep -rn 'LogEvent::other' src tools | wc -l)"
  echo "line_substring_queries $(grep -rn 'with_line_part' tests --include=*.cpp | wc -l)"
  echo "tidy_accepted_findings $(grep -c . .ci/tidy-baseline.txt)"
  echo "src_files_seeing_all_services $(grep -rlE '#include "platform/services.h"' src | wc -l)"
  echo "const_views_written_through $(scripts/count_const_writes.sh)"
}

if [ "${1:-}" != "--check" ]; then
  figures
  exit 0
fi
# The map's table: rows "| `name` | value | ...".
status=0
measured=$(figures)
while read -r name value; do
  stated=$(sed -n "s/^| \`$name\` | \([^|]*\) |.*/\1/p" docs/architecture.md | tr -d ' ')
  if [ "$stated" != "$value" ]; then
    echo "map_figures: docs/architecture.md says $name is ${stated:-nothing}, the code has $value"
    status=1
  fi
done <<EOT
$measured
EOT
[ $status -eq 0 ] && echo "map_figures: every figure the map states holds"
exit $status

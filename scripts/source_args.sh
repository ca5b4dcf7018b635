# The arguments the counting scripts share, read into verbose, src and files:
#   SCRIPT [-v] [SRC]    (default: src; -v lists what is counted)
# Sourced by count_game_views.sh and count_const_writes.sh, with name set to
# the script's name for its message.
verbose=0
if [ "${1:-}" = "-v" ]; then
  verbose=1
  shift
fi
src=${1:-src}
files=$(find "$src" -name '*.cpp' -o -name '*.h' | sort)
[ -n "$files" ] || { echo "$name: no sources under $src" >&2; exit 2; }

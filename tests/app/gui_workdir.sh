# Sourced by the GUI checks: a scratch folder holding a copy of the game and
# its demo data, removed when the check ends. Needs $build; sets $work.
work=$(mktemp -d)
trap '[ -n "${KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
cp "$build/velmora" "$work/"
cp -r "$build/data" "$work/data"

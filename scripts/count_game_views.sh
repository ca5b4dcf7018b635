#!/bin/sh
# How many function definitions in src see the whole Game: those with a
# Game (reference or pointer) anywhere in their parameter list, lambdas
# included, and every member function of a class that holds a Game& or a
# Game* member. The composition root's own members (Game's constructor and
# the views it hands out) are not counted: building the views is its job.
#
#   scripts/count_game_views.sh [-v] [SRC]    (default: src; -v lists them)
set -u
name=count_game_views
. "$(dirname "$0")/source_args.sh"

# shellcheck disable=SC2086
awk -v verbose="$verbose" -f "$(dirname "$0")/source_text.awk" -f - $files $files <<'AWK'
function reset_file() { depth = 0; nstack = 0; stmt = ""; stmt_line = 0; mode = "code" }
FNR == 1 {
  if (FILENAME == first_file && NR > 1) pass = 2
  if (NR == 1) { first_file = FILENAME; pass = 1 }
  reset_file()
}
function takes_game(params) {
  return params ~ /(^|[^A-Za-z0-9_])(vm::)?Game[ \t\n]*(const[ \t\n]*)?[&*]/
}
function note(kind, name, line) {
  count++
  if (verbose) printf "%s:%d: %s (%s)\n", FILENAME, line, name, kind
}
# A "{" closes stmt: a class body, a function body or something else.
function open_brace(    s, m, name, p, q, cls, k) {
  s = trim(stmt)
  kind = "other"
  if (s ~ /(^|[ \t\n])(class|struct)[ \t\n]+[A-Za-z_][A-Za-z0-9_]*/ && s !~ /(^|[^A-Za-z0-9_])enum[ \t\n]/ &&
      s !~ /\(/) {
    m = s
    sub(/.*(^|[ \t\n])(class|struct)[ \t\n]+/, "", m)
    sub(/[^A-Za-z0-9_].*/, "", m)
    nstack++; cls_name[nstack] = m; cls_depth[nstack] = depth + 1
    return
  }
  if (pass != 2) return
  # A lambda: its parameters follow the capture list.
  if (match(s, /\][ \t\n]*\([^()]*(\([^()]*\)[^()]*)*\)[^\[\]()]*$/)) {
    p = index(substr(s, RSTART), "(") + RSTART - 1
    q = close_of(s, p)
    if (q > 0 && tail_ok(substr(s, q + 1)) && takes_game(substr(s, p, q - p + 1))) {
      note("lambda", "lambda", stmt_line)
      return
    }
  }
  # A function: the first name followed by "(".
  if (!match(s, /[A-Za-z_~][A-Za-z0-9_:~]*[ \t\n]*\(/)) return
  name = substr(s, RSTART, RLENGTH)
  sub(/[ \t\n]*\($/, "", name)
  if (name ~ /^(if|for|while|switch|catch|return|sizeof|decltype|alignof|static_assert|void|do|else)$/) return
  p = RSTART + RLENGTH - 1
  q = close_of(s, p)
  if (q == 0 || !tail_ok(substr(s, q + 1))) return
  cls = ""
  if (name ~ /::/) { cls = name; sub(/::[^:]*$/, "", cls); sub(/.*::/, "", cls) }
  else if (nstack > 0 && cls_depth[nstack] == depth) cls = cls_name[nstack]
  if (cls == "Game") return
  if (cls != "" && (cls in holds_game)) { note("member of " cls, name, stmt_line); return }
  if (takes_game(substr(s, p, q - p + 1))) note("Game parameter", name, stmt_line)
}
function end_stmt() {
  if (pass == 1 && nstack > 0 && cls_depth[nstack] == depth &&
      stmt ~ /(^|[^A-Za-z0-9_])Game[ \t\n]*[&*][ \t\n]*[A-Za-z_][A-Za-z0-9_]*[ \t\n]*(=[^=]|\{|$)/)
    holds_game[cls_name[nstack]] = 1
}
{
  line = clean($0)
  n = length(line)
  for (i = 1; i <= n; i++) {
    c = substr(line, i, 1)
    if (c == "{") {
      open_brace(); depth++; stmt = ""
    } else if (c == "}") {
      if (nstack > 0 && cls_depth[nstack] == depth) nstack--
      depth--; stmt = ""
    } else if (c == ";") {
      end_stmt(); stmt = ""
    } else {
      if (trim(stmt) == "" && c !~ /[ \t]/) stmt_line = FNR
      stmt = stmt c
    }
  }
  stmt = stmt "\n"
}
END { if (!verbose) print count + 0; else printf "%d function definitions see the whole Game\n", count }
AWK

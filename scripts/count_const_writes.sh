#!/bin/sh
# How many function definitions in src change the states through a view they
# were handed as const. A view is a handle on the states: one taken as
# `const X&` promises to read only, one that changes them is taken by value
# (or the function takes the one state it changes). The views looked at:
#
#   Story Stage MessageWindow Audio                      (the layers' own)
#   GalleryRoom ChoiceMenu TitleScreen SlotWindow Finale (the flows')
#   StoryPlay RollbackView NoticeBoard QuickSlot DevView (the app's)
#
# A definition (lambdas included) counts once when its body, through one of
# its `const X&` parameters p, does any of:
#   - assigns a member reached from p:   p.a.b = ..., p.a[i] += ..., |= ...
#   - increments or decrements one:      ++p.a.b, p.a.b--
#   - calls a container's or a pointer's changing member on one:
#                                        p.a.b.push_back(...), .clear(), .reset() ...
#   - binds a reference that is not const to one: State& s = p.a;
#
#   scripts/count_const_writes.sh [-v] [SRC]    (default: src; -v lists them)
#
# What it does not see, being a reading of the text and not of the types:
# a member handed to a function that takes it by non-const reference
# (restore(p.scene, k), blit(p.screen.Back, ...)), a pointer taken to one and
# written later, a write through a local copy of the view or through a view
# cut from it (p.stage() handed on), and a service's own state (the services
# are not states: p.window.do_events() is the service doing its work).
set -u
name=count_const_writes
. "$(dirname "$0")/source_args.sh"

# shellcheck disable=SC2086
awk -v verbose="$verbose" -f "$(dirname "$0")/source_text.awk" -f - $files <<'AWK'
BEGIN {
  views = "Story|Stage|MessageWindow|Audio|GalleryRoom|ChoiceMenu|TitleScreen|SlotWindow|Finale|" \
          "StoryPlay|RollbackView|NoticeBoard|QuickSlot|DevView"
  changers = "push_back|emplace_back|pop_back|clear|insert|erase|resize|assign|reset|swap|" \
             "append|fill|emplace|push|pop|release"
  services = "Window|Clock|Dialogs|Pictures|Text|Music|Effects|Volume|SingleCopy|Shell|EventLog|" \
             "Forms|SettingsStore|Files|Speech|Platform|QuietPlatform"
}
function reset_file() { depth = 0; stmt = ""; stmt_line = 0; mode = "code"; nopen = 0 }
FNR == 1 { reset_file() }
# The names of the const view parameters in params, blank separated.
function const_views(params,    out, m, re) {
  out = ""
  re = "const[ \t\n]+(vm::)?(" views ")[ \t\n]*&[ \t\n]*[A-Za-z_][A-Za-z0-9_]*"
  while (match(params, re)) {
    m = substr(params, RSTART, RLENGTH)
    params = substr(params, RSTART + RLENGTH)
    sub(/.*&[ \t\n]*/, "", m)
    out = out " " m
  }
  return trim(out)
}
# A "{" closes stmt: when it opens the body of a definition (a function or
# a lambda) with const views, that body is watched until its "}".
function open_brace(    s, p, q, name, names) {
  s = trim(stmt)
  names = ""
  if (match(s, /\][ \t\n]*\([^()]*(\([^()]*\)[^()]*)*\)[^\[\]()]*$/)) {
    p = index(substr(s, RSTART), "(") + RSTART - 1
    q = close_of(s, p)
    if (q > 0 && tail_ok(substr(s, q + 1))) { names = const_views(substr(s, p, q - p + 1)); name = "lambda" }
  }
  if (names == "" && match(s, /[A-Za-z_~][A-Za-z0-9_:~]*[ \t\n]*\(/)) {
    name = substr(s, RSTART, RLENGTH)
    sub(/[ \t\n]*\($/, "", name)
    if (name ~ /^(if|for|while|switch|catch|return|sizeof|decltype|alignof|static_assert|do|else)$/) return
    p = RSTART + RLENGTH - 1
    q = close_of(s, p)
    if (q == 0 || !tail_ok(substr(s, q + 1))) return
    names = const_views(substr(s, p, q - p + 1))
  }
  if (names == "") return
  nopen++
  body_depth[nopen] = depth + 1
  body_names[nopen] = names
  body_name[nopen] = name
  body_line[nopen] = stmt_line
  body_hit[nopen] = 0
  opened = nopen
}
# Whether text writes a state through parameter v.
function writes(text, v,    path, lead) {
  lead = "(^|[^A-Za-z0-9_.>])"
  path = v "(\\.[A-Za-z_][A-Za-z0-9_]*(\\(\\))?|\\[[^]]*\\])+"
  if (text ~ (lead path "[ \t]*([-+*/%|&^]|<<|>>)?=([^=]|$)")) return 1
  if (text ~ (lead path "[ \t]*(\\+\\+|--)")) return 1
  if (text ~ ("(\\+\\+|--)[ \t]*" path)) return 1
  if (text ~ (lead path "\\.(" changers ")[ \t]*\\(")) return 1
  if (text ~ (lead path "->(" changers ")[ \t]*\\(")) return 1
  if (text ~ ("(^|[^A-Za-z0-9_])[A-Za-z_][A-Za-z0-9_:<>, ]*[ \t]*&[ \t]*[A-Za-z_][A-Za-z0-9_]*[ \t]*=[ \t]*" v "\\.") &&
      text !~ ("const[ \t][^=]*&[ \t]*[A-Za-z_][A-Za-z0-9_]*[ \t]*=[ \t]*" v "\\.") &&
      text !~ ("(^|[^A-Za-z0-9_])(" services ")[ \t]*&[ \t]*[A-Za-z_][A-Za-z0-9_]*[ \t]*=") &&
      text !~ ("=[ \t]*" v "\\.pf[.;]")) return 1
  return 0
}
function watch_one(k, text,    n, i, list) {
  if (body_hit[k]) return
  n = split(body_names[k], list, " ")
  for (i = 1; i <= n; i++) {
    if (writes(text, list[i])) {
      body_hit[k] = 1
      count++
      if (verbose) printf "%s:%d: %s writes through %s: %s\n", FILENAME, body_line[k], body_name[k], list[i], trim(text)
      return
    }
  }
}
function watch(text,    k) {
  for (k = 1; k <= nopen; k++) watch_one(k, text)
}
{
  line = clean($0)
  if (nopen > 0) watch(line)
  n = length(line)
  for (i = 1; i <= n; i++) {
    c = substr(line, i, 1)
    if (c == "{") {
      opened = 0
      open_brace(); depth++; stmt = ""
      # A body that begins on this line is read from its brace on.
      if (opened) watch_one(opened, substr(line, i + 1))
    } else if (c == "}") {
      depth--; stmt = ""
      while (nopen > 0 && body_depth[nopen] > depth) nopen--
    } else if (c == ";") {
      stmt = ""
    } else {
      if (trim(stmt) == "" && c !~ /[ \t]/) stmt_line = FNR
      stmt = stmt c
    }
  }
  stmt = stmt "\n"
}
END { if (!verbose) print count + 0; else printf "%d function definitions write through a const view\n", count }
AWK

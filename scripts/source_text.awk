# What the scripts that read the C++ of src share (count_game_views.sh,
# count_const_writes.sh): the text of a line with its comments, strings and
# characters blanked (mode carries a block comment or a string from one line
# to the next; "code" at the start of a file), and the pieces of a
# definition's head.
# The text with comments, strings and characters blanked, line by line.
function clean(line,    out, i, c, n, rest, e) {
  out = ""
  n = length(line)
  for (i = 1; i <= n; i++) {
    c = substr(line, i, 1)
    if (mode == "block") {
      if (c == "*" && substr(line, i + 1, 1) == "/") { mode = "code"; i++ }
      continue
    }
    if (mode == "str" || mode == "chr") {
      if (c == "\\") { i++; continue }
      if ((mode == "str" && c == "\"") || (mode == "chr" && c == "\047")) mode = "code"
      continue
    }
    if (c == "/" && substr(line, i + 1, 1) == "/") break
    if (c == "/" && substr(line, i + 1, 1) == "*") { mode = "block"; i++; continue }
    if (c == "\"") {
      if (substr(out, length(out), 1) == "R") {
        rest = substr(line, i)
        e = index(rest, ")\"")
        if (e > 0) { i += e; continue }
      }
      mode = "str"; out = out "\"\""; continue
    }
    if (c == "\047") { mode = "chr"; out = out "0"; continue }
    out = out c
  }
  return out
}
function trim(s) { sub(/^[ \t\n]+/, "", s); sub(/[ \t\n]+$/, "", s); return s }
# The index of the ")" closing the "(" at i, or 0.
function close_of(s, i,    d, n, c) {
  d = 0; n = length(s)
  for (; i <= n; i++) {
    c = substr(s, i, 1)
    if (c == "(") d++
    else if (c == ")") { d--; if (d == 0) return i }
  }
  return 0
}
# What may follow a definition's parameter list before its body.
function tail_ok(t) {
  t = trim(t)
  if (t ~ /^->/) return 1
  while (t ~ /^(const|override|final|noexcept|mutable|&)/) {
    sub(/^(const|override|final|noexcept|mutable|&)[ \t\n]*/, "", t)
  }
  return t == "" || t ~ /^:[^:]/
}

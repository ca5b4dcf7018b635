// The story drawn as a Graphviz graph: one node per run of rows with one NUM,
// edges for falling through, jumps, counter tests and choices; endings,
// quits, scenes no path reaches and places where a path gets stuck marked.
#include <graphviz/cgraph.h>
#include <graphviz/gvc.h>

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <tuple>

#include "assets/text_helpers.h"
#include "authoring/layout.h"
#include "authoring/story_paths.h"
#include "choices/choices.h"
#include "script/interp.h"

namespace vm::datatool {

namespace {

// A text for a dot string: quotes and backslashes escaped.
std::string esc(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out;
}

std::string shorten(const std::string& text, size_t chars) {
  const std::vector<std::string> cs = split_chars(text);
  std::string out;
  for (size_t i = 0; i < cs.size() && i < chars; ++i) out += cs[i];
  if (cs.size() > chars) out += "…";
  return out;
}

// The first message a run shows when read straight through: a row with text
// that changes neither background nor sprite and whose command shows it.
std::string first_message(const Story& story, int32_t from, int32_t to) {
  for (int32_t i = from; i <= to; ++i) {
    const ScriptRow& r = story.tables.Script_Table[static_cast<size_t>(i)];
    const std::string cmd = trim_blanks(r.cmd);
    if (!trim_blanks(r.place).empty() || !trim_blanks(r.doll).empty()) continue;
    if (!cmd.empty() && cmd[0] != 'r') continue;
    std::string text = trim_blanks(r.text);
    if (text.empty()) continue;
    if (trim_blanks(r.subst) == "1") {
      try {
        text = substitute_names(story.names, text, r.line);
      } catch (const std::exception&) {
        // shown as written; the check reports the row
      }
    }
    return text;
  }
  return "";
}

// What one run of rows holds, as its node shows it.
struct RunFacts {
  bool is_end = false, is_quit = false, is_menu = false, reached = false;
  int boxes = 0;
  bool falls = true;  // whether the run's last row can go on to the next run
};

// The map being written: the runs of the script, the edges found so far
// (each written once) and the marker nodes they need.
class StoryMap {
 public:
  StoryMap(const Story& story, const Exploration& ex)
      : story_(story),
        ex_(ex),
        t_(story.tables),
        runs_(static_cast<int32_t>(t_.Scene_Index.size())) {
    note_path_ends();
  }

  std::string dot() {
    std::string dot = header();
    for (int32_t k = 0; k < runs_; ++k) {
      const int32_t a = t_.Scene_Index[static_cast<size_t>(k)].seq, b = run_end(k);
      const RunFacts facts = run_edges(k, a, b);
      dot += node(k, a, b, facts);
    }
    if (missing_) dot += "  missing [label=\"missing NUM\", shape=plain, fontcolor=red];\n";
    if (outside_) dot += "  outside [label=\"outside the script\", shape=plain, fontcolor=red];\n";
    for (const std::string& e : edge_lines_) dot += e;
    return dot + legend();
  }

 private:
  const Story& story_;
  const Exploration& ex_;
  const ScriptTables& t_;
  const int32_t runs_;
  std::map<int32_t, std::set<int>> ending_haps_;
  std::set<int32_t> trouble_;  // runs where a path breaks: a message box, no ending
  bool outside_ = false, missing_ = false;
  std::set<std::tuple<int32_t, std::string, std::string>> edges_;  // to, attributes
  std::vector<std::string> edge_lines_;

  int32_t run_end(int32_t k) const {
    return k + 1 < runs_ ? t_.Scene_Index[static_cast<size_t>(k + 1)].seq - 1 : t_.Script_Last;
  }
  // The run holding a row.
  int32_t run_of(int32_t seq) const {
    const auto it = std::upper_bound(t_.Scene_Index.begin(), t_.Scene_Index.end(), seq,
                                     [](int32_t v, const SceneEntry& e) { return v < e.seq; });
    return static_cast<int32_t>(std::max<ptrdiff_t>(0, it - t_.Scene_Index.begin() - 1));
  }
  std::string run_node(int32_t seq) const { return "r" + std::to_string(run_of(seq)); }

  // What the paths met in each run.
  void note_path_ends() {
    for (const Segment& s : ex_.segments) {
      if (s.end == PathEnd::Ending) ending_haps_[run_of(s.last_seq)].insert(s.hap);
      if (s.end == PathEnd::Stuck || s.end == PathEnd::Error || s.end == PathEnd::Runaway ||
          s.end == PathEnd::EndOfScript)
        trouble_.insert(run_of(s.last_seq));
      for (const Fault& f : s.faults)
        if (f.seq >= 0 && f.seq <= t_.Script_Last) trouble_.insert(run_of(f.seq));
    }
  }

  void edge(int32_t from, const std::string& to, const std::string& attrs) {
    if (!edges_.emplace(from, to, attrs).second) return;
    edge_lines_.push_back("  r" + std::to_string(from) + " -> " + to + " [" + attrs + "];\n");
  }

  static std::string header() {
    return "digraph story {\n"
           "  graph [rankdir=TB, fontname=\"IPAGothic\", fontsize=12, nodesep=0.3, ranksep=0.45,"
           " label=\"" +
           esc("Velmora story map") +
           "\", labelloc=t];\n"
           "  node [fontname=\"IPAGothic\", fontsize=11, shape=box, style=\"rounded,filled\","
           " fillcolor=\"#ffffff\", color=\"#555555\"];\n"
           "  edge [fontname=\"IPAGothic\", fontsize=10, color=\"#777777\"];\n";
  }

  // The edges out of run k (rows a..b), and what the run holds.
  RunFacts run_edges(int32_t k, int32_t a, int32_t b) {
    RunFacts facts;
    for (int32_t i = a; i <= b; ++i) {
      const ScriptRow& r = t_.Script_Table[static_cast<size_t>(i)];
      if (ex_.reached.size() > static_cast<size_t>(i) && ex_.reached[static_cast<size_t>(i)])
        facts.reached = true;
      const std::string cmd = trim_blanks(r.cmd);
      const char c = cmd.empty() ? '\0' : cmd[0];
      if (i == b) facts.falls = !(cmd == "g0" || c == 'e' || c == 'q' || c == 's');
      if (c == 'e') facts.is_end = true;
      if (c == 'q') facts.is_quit = true;
      if (cmd == "g0" || cmd == "i1") jump_edge(k, r, cmd);
      if (c == 's') {
        facts.is_menu = true;
        const int boxes = choice_edges(k, r);
        if (boxes >= 0) facts.boxes = boxes;
      }
    }
    if (facts.falls && k + 1 < runs_) edge(k, "r" + std::to_string(k + 1), "");
    return facts;
  }

  // A g0 jump, or an i1 counter test that jumps when it holds.
  void jump_edge(int32_t k, const ScriptRow& r, const std::string& cmd) {
    const int32_t to = find_num(t_, r.jump);
    std::string attrs;
    if (cmd == "g0")
      attrs = "color=\"#1f5fbf\"";
    else
      attrs = "style=dashed, color=\"#8a5a00\", fontcolor=\"#8a5a00\", label=\"" +
              esc(trim_blanks(r.text).substr(0, 3) + " = " + trim_blanks(r.value)) + "\"";
    if (to < 0) {
      missing_ = true;
      edge(k, "missing", attrs + ", color=red, fontcolor=red");
    } else {
      edge(k, run_node(to), attrs);
    }
  }

  // One edge a box of the menu; the number of boxes, -1 when the menu has no
  // rows in the choices.
  int choice_edges(int32_t k, const ScriptRow& r) {
    const int32_t first = find_sct_row(t_, r.num);
    if (first < 0) return -1;
    const int count = menu_size(t_, first, trim_blanks(r.text));
    for (int box = 0; box < count; ++box) {
      const ChoiceRow& choice = t_.SCT[static_cast<size_t>(first + box)];
      std::string attrs = "color=\"#1d7a2f\", fontcolor=\"#1d7a2f\", penwidth=1.6, label=\"" +
                          esc(trim_blanks(choice.label));
      // A target NUM that is not in the script stays a raw number, which
      // the game takes as a row.
      if (choice.resolved)
        attrs += "\"";
      else
        attrs += " (no NUM " + num4(choice.target_num) + ": row " + std::to_string(choice.target) +
                 ")\", color=red, fontcolor=red";
      if (choice.target < 0 || choice.target > t_.Script_Last) {
        outside_ = true;
        edge(k, "outside", attrs);
      } else {
        edge(k, run_node(choice.target), attrs);
      }
    }
    return count;
  }

  // The node of run k: its NUM and first words, and its shape and colours.
  std::string node(int32_t k, int32_t a, int32_t b, const RunFacts& facts) {
    const ScriptRow& head = t_.Script_Table[static_cast<size_t>(a)];
    std::string label = num4(head.num);
    const std::string msg = first_message(story_, a, b);
    if (!msg.empty()) label += "\n" + shorten(msg, 14);
    const std::string id = "  r" + std::to_string(k);
    // The end marker is never run; it stands for the end of the script.
    if (a == t_.Script_Last)
      return id + " [label=\"" + esc(label) +
             "\\n(end marker)\", shape=plain, fontcolor=\"#888888\"];\n";
    if (facts.is_menu && msg.empty()) label += "\nchoice of " + std::to_string(facts.boxes);
    std::string attrs;
    if (facts.is_end) {
      std::string haps;
      for (int h : ending_haps_[k]) haps += (haps.empty() ? "" : ", ") + std::to_string(h);
      label += "\nending" + (haps.empty() ? std::string() : " (hap " + haps + ")");
      attrs = "shape=doubleoctagon, fillcolor=\"#ffd9ec\"";
    } else if (facts.is_quit) {
      label += "\nquit";
      attrs = "shape=octagon, fillcolor=\"#ffe2b8\"";
    } else if (facts.is_menu) {
      attrs = "fillcolor=\"#dcefff\"";
    }
    if (!facts.reached)
      attrs += std::string(attrs.empty() ? "" : ", ") +
               "style=\"rounded,filled,dashed\", fillcolor=\"#eeeeee\", fontcolor=\"#888888\","
               " color=\"#999999\"";
    if (trouble_.count(k))
      attrs += std::string(attrs.empty() ? "" : ", ") + "color=red, penwidth=2.5";
    return id + " [label=\"" + esc(label) + "\"" + (attrs.empty() ? "" : ", " + attrs) + "];\n";
  }

  // The legend, in a corner of its own.
  static std::string legend() {
    return "  subgraph cluster_legend {\n"
           "    label=\"Legend\"; fontsize=12; color=\"#aaaaaa\"; style=rounded;\n"
           "    l1 [label=\"NUM\\nfirst words of its first message\"];\n"
           "    l2 [label=\"a choice menu\", fillcolor=\"#dcefff\"];\n"
           "    l3 [label=\"ending (hap reached)\", shape=doubleoctagon, fillcolor=\"#ffd9ec\"];\n"
           "    l4 [label=\"quit\", shape=octagon, fillcolor=\"#ffe2b8\"];\n"
           "    l5 [label=\"reached by no path\", style=\"rounded,filled,dashed\","
           " fillcolor=\"#eeeeee\", fontcolor=\"#888888\", color=\"#999999\"];\n"
           "    l6 [label=\"a path breaks here:\\na message box, no ending\", color=red,"
           " penwidth=2.5];\n"
           "    l1 -> l2 -> l3 -> l4 -> l5 -> l6 [style=invis];\n"
           // Edge samples between two small dots each, in a column of their own.
           "    node [shape=point, width=0.06, label=\"\"];\n"
           "    e1 -> f1 [label=\"falls through\"];\n"
           "    e2 -> f2 [label=\"choice text\", color=\"#1d7a2f\", fontcolor=\"#1d7a2f\","
           " penwidth=1.6];\n"
           "    e3 -> f3 [label=\"g0 jump\", color=\"#1f5fbf\", fontcolor=\"#1f5fbf\"];\n"
           "    e4 -> f4 [label=\"i1: counter = value\", style=dashed, color=\"#8a5a00\","
           " fontcolor=\"#8a5a00\"];\n"
           "    f1 -> e2 [style=invis]; f2 -> e3 [style=invis]; f3 -> e4 [style=invis];\n"
           "  }\n"
           "}\n";
  }
};

}  // namespace

std::string story_dot(const Story& story, const Exploration& ex) {
  return StoryMap(story, ex).dot();
}

void write_story_graph(Files& files, const std::string& dir, const std::string& out) {
  const Story story = read_story(DataFolder(files, dir));
  const Exploration ex = explore_story(story);
  const std::string dot = story_dot(story, ex);
  files.replace_whole(out + ".dot", dot).value_or_throw();

  GVC_t* gvc = gvContext();
  Agraph_t* g = agmemread(dot.c_str());
  if (!g) {
    gvFreeContext(gvc);
    throw std::runtime_error("Graphviz cannot read the story graph " + out + ".dot");
  }
  const bool laid_out = gvLayout(gvc, g, "dot") == 0;
  const bool drawn = laid_out && gvRenderFilename(gvc, g, "svg", (out + ".svg").c_str()) == 0;
  if (laid_out) gvFreeLayout(gvc, g);
  agclose(g);
  gvFreeContext(gvc);
  if (!drawn) throw std::runtime_error("Graphviz cannot draw " + out + ".svg");
}

}  // namespace vm::datatool

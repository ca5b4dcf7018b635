#include "data/long_story.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "assets/assets.h"
#include "assets/data_folder.h"
#include "authoring/layout.h"
#include "data/data_tool.h"
#include "data/scenario.h"

namespace vm::datatool {

namespace {

// The story's shape, scene by scene (a scene is one run of rows with one
// NUM). Scene K0 opens the summer and offers the first menu; each menu k
// offers "A" (its own side scene, which goes on to the next menu's scene) and
// "B" (straight on to the next menu's scene); the last scene is the ending.
// NUMs have four digits, so a scene is spared where it can be: the last two
// menus share one side scene, which tells them apart by pap (0 before the
// last menu, 1 after; the same on every path, so the story's states do not
// multiply), and picking A at the last menu is the true ending (hap 1).
// That makes 2 x choices scenes, 10000 for 5000 choices.
struct Line {
  std::string cmd, jump, place, speaker, text, value;
};

struct Scene {
  std::vector<Line> lines;
  int num = 0;
};

Line message(const std::string& text, const char* speaker = "") {
  return {"", "", "", speaker, text, ""};
}

// A message of padding: a few lines of about twenty characters, some spoken.
Line filler(size_t n) {
  static const char* const kLines[] = {
      "波の音が、遠くから静かに聞こえてくる。",     "潮風に吹かれながら、ぼくは坂道を歩いた。",
      "夕焼けの空に、白い雲がゆっくり流れていく。", "港の船が、汽笛を鳴らして沖へ出ていった。",
      "ねえ、今日はどこまで歩いていこうか。",       "灯台の明かりが、今夜も海を照らしている。",
      "蝉の声が、夏の終わりを惜しむように響く。",   "そうだな、もう少しだけ先へ行ってみよう。",
  };
  static const char* const kSpeakers[] = {"", "", "", "", "2", "", "", "1"};
  const size_t k = n % 8;
  return message(kLines[k], kSpeakers[k]);
}

struct Built {
  std::vector<Scene> scenes;
  std::vector<std::array<std::string, 3>> menu_rows;  // key, label, target
};

// The scenes before padding: index 2k is menu k's scene, 2k+1 its side
// scene, with the last two menus sharing the side scene between them.
Built skeleton(int choices) {
  Built b;
  const int c = choices;
  const bool shared = c >= 2;
  // Scene indices: menu k's scene, the side scene A picks at menu k.
  auto menu_scene = [](int k) { return 2 * k; };
  auto side_scene = [&](int k) { return shared && k == c - 1 ? 2 * k - 1 : 2 * k + 1; };
  const int ending = shared ? 2 * c - 1 : 2 * c;
  b.scenes.resize(static_cast<size_t>(ending) + 1);
  const int stride = std::min(10, 9999 / ending);
  for (size_t i = 0; i < b.scenes.size(); ++i) b.scenes[i].num = static_cast<int>(i) * stride;
  auto num_of = [&](int scene) { return num4(b.scenes[static_cast<size_t>(scene)].num); };

  b.scenes[0].lines.push_back({"", "", "0", "", "DI", ""});
  b.scenes[0].lines.push_back(message("港町ヴェルモラに、長い夏がやってきた。"));
  for (int k = 0; k < c; ++k) {
    const std::string ch = std::to_string(k + 1);
    Scene& m = b.scenes[static_cast<size_t>(menu_scene(k))];
    if (k > 0) {
      // Each chapter on a background and a tune of its own, in turn (never
      // the one before, which the game would show as a message).
      static const char* const kPlaces[] = {"1", "3", "10", "0"};
      static const char* const kWipes[] = {"VB", "HB", "IC", "DI"};
      static const char* const kTunes[] = {"ab", "ac", "ad", "ae"};
      const size_t turn = static_cast<size_t>(k - 1) % 4;
      m.lines.push_back({kTunes[turn], "", "", "", "", ""});
      m.lines.push_back({"", "", kPlaces[turn], "", kWipes[turn], ""});
    }
    m.lines.push_back(message("第" + ch + "章　分かれ道"));
    if (shared && k == c - 1) m.lines.push_back({"p2", "", "", "", "pap", "1"});
    m.lines.push_back({"s", "", "", "", "2", ""});
    const std::string next = num_of(k + 1 < c ? menu_scene(k + 1) : ending);
    b.menu_rows.push_back(
        {num_of(menu_scene(k)), "海沿いの道へ（" + ch + "）", num_of(side_scene(k))});
    b.menu_rows.push_back({num_of(menu_scene(k)), "まっすぐ進む（" + ch + "）", next});
    if (shared && k == c - 1) continue;  // the shared side scene is written once
    Scene& a = b.scenes[static_cast<size_t>(side_scene(k))];
    a.lines.push_back(message("寄り道をして、海を眺めた（" + ch + "）。"));
    if (k >= c - 2) {
      // The closing side scene: on from the next-to-last menu to the last,
      // from the last to the true ending.
      if (shared) a.lines.push_back({"i1", next, "", "", "pap", "0"});
      a.lines.push_back({"p2", "", "", "", "hap", "1"});
      a.lines.push_back({"g0", num_of(ending), "", "", "", ""});
    } else {
      a.lines.push_back({"g0", next, "", "", "", ""});
    }
  }
  Scene& e = b.scenes[static_cast<size_t>(ending)];
  e.lines.push_back(message("こうして、ぼくたちの夏は終わった。"));
  e.lines.push_back({"e", "", "", "", "", ""});
  return b;
}

}  // namespace

LongStoryText long_story_text(const LongStoryShape& shape) {
  if (shape.choices < 1 || shape.choices > 5000)
    throw std::invalid_argument("a long story holds 1 to 5000 choices");
  Built b = skeleton(shape.choices);
  size_t fixed = 1;  // the end marker
  for (const Scene& s : b.scenes) fixed += s.lines.size();
  if (shape.rows < 0 || static_cast<size_t>(shape.rows) < fixed)
    throw std::invalid_argument("a long story of " + std::to_string(shape.choices) +
                                " choices needs at least " + std::to_string(fixed) + " rows");
  // The padding goes evenly into every scene, after its first message.
  const size_t pad = static_cast<size_t>(shape.rows) - fixed;
  const size_t n = b.scenes.size();
  size_t written = 0;
  for (size_t i = 0; i < n; ++i) {
    std::vector<Line>& lines = b.scenes[i].lines;
    const size_t here = pad / n + (i < pad % n ? 1 : 0);
    // After the scene's first message (a chapter's tune and background first).
    size_t at = 0;
    while (at < lines.size() && !(lines[at].cmd.empty() && lines[at].place.empty())) ++at;
    ++at;
    std::vector<Line> more;
    more.reserve(here);
    for (size_t k = 0; k < here; ++k) more.push_back(filler(written++));
    lines.insert(lines.begin() + static_cast<long>(at), more.begin(), more.end());
  }

  std::string script = "num,cmd,jump,place,doll,face,spare,speaker,text,value,spare,subst,note\r\n";
  script.reserve(static_cast<size_t>(shape.rows) * 90);
  for (const Scene& s : b.scenes) {
    const std::string num = num4(s.num);
    for (const Line& l : s.lines) {
      script += num + "," + l.cmd + "," + l.jump + "," + l.place + ",,,," + l.speaker + "," +
                l.text + "," + l.value + ",,,\r\n";
    }
  }
  script += std::string(b.scenes.back().num < 9999 ? "9999" : num4(b.scenes.back().num)) +
            ",,,,,,,,END,,,,\r\n";
  std::string choices;
  for (const auto& r : b.menu_rows) choices += r[0] + "," + r[1] + "," + r[2] + "\r\n";
  return {convert_exact(script, false, "51.dat"), convert_exact(choices, false, "52.dat")};
}

void write_long_story(Files& files, const std::string& dir, const LongStoryShape& shape) {
  const LongStoryText text = long_story_text(shape);
  write_demo(files, dir);
  const DataFolder folder(files, dir);
  folder.replace("51.dat", invert_bytes(text.script)).value_or_throw();
  folder.replace("52.dat", invert_bytes(text.choices)).value_or_throw();
}

}  // namespace vm::datatool

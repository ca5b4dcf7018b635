#include "authoring/midi.h"

#include <algorithm>
#include <map>

#include "authoring/draw.h"

namespace vm::datatool {

namespace {

void put_u16(std::string& s, uint32_t v) {
  s += static_cast<char>((v >> 8) & 0xFF);
  s += static_cast<char>(v & 0xFF);
}
void put_u32(std::string& s, uint32_t v) {
  put_u16(s, v >> 16);
  put_u16(s, v & 0xFFFF);
}
void put_varlen(std::string& s, uint32_t v) {
  uint8_t buf[5];
  int n = 0;
  buf[n++] = v & 0x7F;
  while (v >>= 7) buf[n++] = static_cast<uint8_t>((v & 0x7F) | 0x80);
  while (n--) s += static_cast<char>(buf[n]);
}

// Note-offs (and velocity-0 note-ons) sort before other events of the same
// tick, so a repeated note is released before it sounds again.
int event_rank(const MidiEvent& e) {
  if (e.bytes.empty()) return 1;
  const uint8_t kind = e.bytes[0] & 0xF0;
  if (kind == 0x80 || (kind == 0x90 && e.bytes.size() > 2 && e.bytes[2] == 0)) return 0;
  return 1;
}

}  // namespace

std::string write_midi(const std::vector<std::vector<MidiEvent>>& tracks, uint32_t end_tick) {
  std::string out = "MThd";
  put_u32(out, 6);
  put_u16(out, 1);
  put_u16(out, static_cast<uint32_t>(tracks.size()));
  put_u16(out, kTicksPerQuarter);
  for (std::vector<MidiEvent> events : tracks) {
    std::stable_sort(events.begin(), events.end(), [](const MidiEvent& a, const MidiEvent& b) {
      if (a.tick != b.tick) return a.tick < b.tick;
      return event_rank(a) < event_rank(b);
    });
    std::string body;
    uint32_t now = 0;
    for (const MidiEvent& e : events) {
      put_varlen(body, e.tick - now);
      now = e.tick;
      body.append(e.bytes.begin(), e.bytes.end());
    }
    put_varlen(body, std::max(end_tick, now) - now);
    body += "\xFF\x2F";
    body += '\0';
    out += "MTrk";
    put_u32(out, static_cast<uint32_t>(body.size()));
    out += body;
  }
  return out;
}

namespace {

// Reads a file front to back, measuring it; each step returns false with
// the reason kept when the file is not a valid SMF.
class MidiReader {
 public:
  explicit MidiReader(const std::string& bytes) : bytes_(bytes) {}

  Result<MidiInfo> read() {
    if (!header()) return failure(error_);
    for (int t = 0; t < info_.tracks; ++t)
      if (!track(t)) return failure(error_);
    info_.seconds = seconds();
    return info_;
  }

 private:
  // Where a track stands while its events are read.
  struct Track {
    int number;  // from 1, as the reasons name it
    size_t end;
    uint32_t tick = 0;
    uint8_t running = 0;
    bool ended = false;
  };
  enum class Step { Next, Stop, Failed };

  const std::string& bytes_;
  MidiInfo info_;
  std::string error_;
  size_t p_ = 0;
  std::map<uint32_t, uint32_t> tempo_;  // tick -> microseconds per quarter

  bool need(size_t n) const { return p_ + n <= bytes_.size(); }
  uint8_t u8() { return static_cast<uint8_t>(bytes_[p_++]); }
  uint32_t u16() {
    uint32_t v = u8();
    return (v << 8) | u8();
  }
  uint32_t u32() {
    uint32_t v = u16();
    return (v << 16) | u16();
  }
  bool fail(const std::string& why) {
    error_ = why;
    return false;
  }
  bool fail(const Track& tr, const std::string& why) {
    return fail("track " + std::to_string(tr.number) + ": " + why);
  }
  Step failed(const Track& tr, const std::string& why) {
    fail(tr, why);
    return Step::Failed;
  }

  bool header() {
    if (!need(14) || bytes_.compare(0, 4, "MThd") != 0) return fail("no MThd header");
    p_ = 4;
    if (u32() != 6) return fail("header length is not 6");
    info_.format = static_cast<int>(u16());
    info_.tracks = static_cast<int>(u16());
    info_.division = static_cast<int>(u16());
    if (info_.format > 2 || info_.division <= 0 || (info_.division & 0x8000))
      return fail("unsupported format or time division");
    return true;
  }

  bool track(int t) {
    Track tr{t + 1, 0};
    if (!need(8) || bytes_.compare(p_, 4, "MTrk") != 0) return fail(tr, "no MTrk chunk");
    p_ += 4;
    const uint32_t len = u32();
    if (!need(len)) return fail(tr, "length runs past the end of the file");
    tr.end = p_ + len;
    while (p_ < tr.end && !tr.ended) {
      const Step s = event(tr);
      if (s == Step::Failed) return false;
      if (s == Step::Stop) break;
    }
    if (!tr.ended) return fail(tr, "no end-of-track event");
    p_ = tr.end;
    info_.last_tick = std::max(info_.last_tick, tr.tick);
    return true;
  }

  // A variable-length number of at most four bytes within the track.
  bool vlq(const Track& tr, uint32_t& out, const char* what) {
    out = 0;
    for (int i = 0;; ++i) {
      if (p_ >= tr.end || i == 4) return fail(tr, std::string("bad ") + what);
      const uint8_t b = u8();
      out = (out << 7) | (b & 0x7F);
      if (!(b & 0x80)) return true;
    }
  }

  // One event after its delta time; Stop where the track ends inside it.
  Step event(Track& tr) {
    uint32_t delta = 0;
    if (!vlq(tr, delta, "delta time")) return Step::Failed;
    tr.tick += delta;
    if (p_ >= tr.end) return Step::Stop;
    uint8_t status = static_cast<uint8_t>(bytes_[p_]);
    if (status & 0x80)
      ++p_;
    else if (tr.running)
      status = tr.running;
    else
      return failed(tr, "data byte without a status");
    if (status == 0xFF || status == 0xF0 || status == 0xF7) return meta_event(tr, status);
    tr.running = status;
    const uint8_t kind = status & 0xF0;
    const int data = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
    if (p_ + data > tr.end) return failed(tr, "event runs past the track");
    if (kind == 0x90 && static_cast<uint8_t>(bytes_[p_ + 1]) > 0) ++info_.notes;
    p_ += data;
    return Step::Next;
  }

  // A meta or system-exclusive event: tempo changes are kept, an
  // end-of-track ends the track.
  Step meta_event(Track& tr, uint8_t status) {
    uint8_t type = 0;
    if (status == 0xFF) {
      if (p_ >= tr.end) return Step::Stop;
      type = u8();
    }
    uint32_t mlen = 0;
    if (!vlq(tr, mlen, "meta length")) return Step::Failed;
    if (p_ + mlen > tr.end) return failed(tr, "meta event runs past the track");
    if (status == 0xFF && type == 0x51 && mlen == 3) {
      const uint32_t us = (static_cast<uint8_t>(bytes_[p_]) << 16) |
                          (static_cast<uint8_t>(bytes_[p_ + 1]) << 8) |
                          static_cast<uint8_t>(bytes_[p_ + 2]);
      tempo_[tr.tick] = us;
    }
    if (status == 0xFF && type == 0x2F) tr.ended = true;
    p_ += mlen;
    tr.running = 0;
    return Step::Next;
  }

  // Time of the last tick through the tempo map (120 per minute until the
  // first tempo event).
  double seconds() const {
    double seconds = 0;
    uint32_t at = 0, us = 500000;
    for (const auto& [tick, value] : tempo_) {
      if (tick >= info_.last_tick) break;
      seconds += static_cast<double>(tick - at) * us / 1e6 / info_.division;
      at = tick;
      us = value;
    }
    seconds += static_cast<double>(info_.last_tick - at) * us / 1e6 / info_.division;
    return seconds;
  }
};

}  // namespace

Result<MidiInfo> read_midi(const std::string& bytes) {
  return MidiReader(bytes).read();
}

// ------------------------------------------------------------ composer ---

namespace {

enum class Accomp { Pad, Arpeggio, OffBeat, Waltz };

struct Section {
  std::vector<int> chords;  // scale degree of each bar's chord, 0 = tonic
};

struct TuneDef {
  const char* name;
  int bpm;
  int beats;  // per bar: 3 or 4
  int root;   // MIDI note of the tonic in the melody's octave
  bool minor;
  std::vector<Section> sections;
  int melody_prog, chord_prog, bass_prog;
  Accomp accomp;
  bool drums;
  uint64_t rng_start;
};

// A table, not steps: the demo's tunes, a field a line as the layout writes
// them.
const std::vector<TuneDef>& tune_defs() {  // NOLINT(readability-function-size)
  static const std::vector<TuneDef> defs = {
      {"title.mid",
       84,
       4,
       77,
       false,
       {{{0, 4, 5, 3, 0, 4, 3, 4}}, {{5, 3, 0, 4, 3, 4, 0, 0}}},
       73,
       46,
       32,
       Accomp::Arpeggio,
       false,
       0x7171},
      {"town.mid",
       116,
       4,
       79,
       false,
       {{{0, 3, 4, 0, 5, 1, 4, 0}}, {{3, 4, 2, 5, 1, 4, 0, 0}}, {{0, 3, 4, 0, 5, 1, 4, 0}}},
       71,
       0,
       33,
       Accomp::OffBeat,
       true,
       0x70E1},
      {"sea.mid",
       96,
       3,
       74,
       false,
       {{{0, 0, 3, 3, 4, 4, 0, 0}}, {{5, 5, 1, 1, 4, 4, 0, 0}}, {{3, 3, 0, 5, 1, 4, 0, 0}}},
       75,
       46,
       32,
       Accomp::Waltz,
       false,
       0x5EA},
      {"night.mid",
       76,
       4,
       69,
       true,
       {{{0, 5, 2, 6, 0, 5, 3, 4}}, {{5, 6, 0, 0, 3, 4, 0}}},
       11,
       89,
       33,
       Accomp::Pad,
       true,
       0x4167},
      {"sad.mid",
       66,
       4,
       74,
       true,
       {{{0, 3, 6, 2, 5, 3, 4, 4}}, {{0, 3, 4, 0}}},
       40,
       0,
       32,
       Accomp::Arpeggio,
       false,
       0x5AD},
      // The ending tune is played once, under the whole staff roll and the
      // closing message: 39 bars, a little over a minute and a half.
      {"velloria.mid",
       96,
       4,
       72,
       false,
       {{{0, 5, 3, 4, 0, 5, 1, 4}},
        {{3, 4, 2, 5, 3, 1, 4, 4}},
        {{5, 3, 0, 4, 5, 3, 1, 4}},
        {{3, 4, 5, 2, 3, 1, 4, 4}},
        {{0, 5, 3, 4, 3, 4, 0}}},
       73,
       48,
       33,
       Accomp::Pad,
       true,
       0x7E11},
  };
  return defs;
}

constexpr int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr int kMinor[7] = {0, 2, 3, 5, 7, 8, 10};
constexpr uint32_t kEighth = kTicksPerQuarter / 2;

int floor_div(int a, int b) {
  return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Pitch of a scale degree (any integer; 7 is the tonic an octave up).
int degree_pitch(const TuneDef& t, int degree) {
  const int oct = floor_div(degree, 7);
  const int d = degree - oct * 7;
  return t.root + 12 * oct + (t.minor ? kMinor[d] : kMajor[d]);
}

// The three pitches of a chord on a degree, from a base octave offset; the
// dominant of a minor key takes the raised leading note.
std::vector<int> chord_pitches(const TuneDef& t, int degree, int octave_shift) {
  std::vector<int> p;
  for (int k = 0; k < 3; ++k) {
    int pitch = degree_pitch(t, degree + 2 * k) + 12 * octave_shift;
    if (t.minor && degree % 7 == 4 && k == 1) pitch += 1;
    p.push_back(pitch);
  }
  return p;
}

struct Tracks {
  std::vector<MidiEvent> melody, chords, bass, drums;
};

void note(std::vector<MidiEvent>& track, int channel, uint32_t tick, uint32_t length, int pitch,
          int velocity) {
  pitch = std::clamp(pitch, 0, 127);
  velocity = std::clamp(velocity, 1, 127);
  track.push_back({tick,
                   {static_cast<uint8_t>(0x90 | channel), static_cast<uint8_t>(pitch),
                    static_cast<uint8_t>(velocity)}});
  track.push_back(
      {tick + length, {static_cast<uint8_t>(0x80 | channel), static_cast<uint8_t>(pitch), 64}});
}

void setup(std::vector<MidiEvent>& track, int channel, int program, int volume, int pan,
           const char* name) {
  std::vector<uint8_t> meta = {0xFF, 0x03,
                               static_cast<uint8_t>(std::char_traits<char>::length(name))};
  for (const char* c = name; *c; ++c) meta.push_back(static_cast<uint8_t>(*c));
  track.push_back({0, meta});
  if (channel != 9)
    track.push_back({0, {static_cast<uint8_t>(0xC0 | channel), static_cast<uint8_t>(program)}});
  track.push_back({0, {static_cast<uint8_t>(0xB0 | channel), 7, static_cast<uint8_t>(volume)}});
  track.push_back({0, {static_cast<uint8_t>(0xB0 | channel), 10, static_cast<uint8_t>(pan)}});
  track.push_back({0, {static_cast<uint8_t>(0xB0 | channel), 91, 48}});
}

// Rhythms of one bar in eighths.
const std::vector<std::vector<int>>& rhythms(int beats) {
  static const std::vector<std::vector<int>> four = {{2, 2, 2, 2}, {3, 1, 2, 2},    {2, 1, 1, 2, 2},
                                                     {4, 2, 2},    {1, 1, 2, 2, 2}, {2, 2, 4},
                                                     {3, 1, 4}};
  static const std::vector<std::vector<int>> three = {{2, 2, 2}, {4, 2}, {3, 1, 2}, {2, 1, 1, 2}};
  return beats == 3 ? three : four;
}

// Nearest chord tone (as a scale degree in the melody range) to a degree.
int nearest_chord_tone(int chord, int from) {
  int best = from, dist = 99;
  for (int d = -2; d <= 12; ++d) {
    const int rel = ((d - chord) % 7 + 7) % 7;
    if (rel != 0 && rel != 2 && rel != 4) continue;
    if (std::abs(d - from) < dist) {
      dist = std::abs(d - from);
      best = d;
    }
  }
  return best;
}

// Where a bar stands in its tune.
struct Bar {
  uint32_t tick;
  uint32_t len;
  int chord;  // scale degree of its chord
  bool final_bar, phrase_end;
};

// Melody: chord tones on strong beats, steps in between; a long note at the
// end of each phrase, the tonic at the very end. deg is the degree the
// melody stands on, carried from bar to bar.
void melody_bar(const TuneDef& t, const Bar& bar, const std::vector<int>& rhythm, int& deg,
                Prng& rng, Tracks& out) {
  if (bar.final_bar) {
    deg = (deg > 3) ? 7 : 0;
    note(out.melody, 0, bar.tick, bar.len - kEighth, degree_pitch(t, deg), 92);
    return;
  }
  if (bar.phrase_end) {
    deg = nearest_chord_tone(bar.chord, deg);
    note(out.melody, 0, bar.tick, kEighth * 2 * (t.beats - 1) - 20, degree_pitch(t, deg), 88);
    return;
  }
  uint32_t pos = 0;
  for (int len : rhythm) {
    const bool strong = pos == 0 || (t.beats == 4 && pos == 4);
    if (strong) {
      deg = nearest_chord_tone(bar.chord, deg + rng.range(-1, 1));
    } else {
      const int r = rng.range(0, 9);
      const int step = r < 7 ? 1 : (r < 9 ? 2 : 0);
      int dir = rng.range(0, 1) ? 1 : -1;
      if (deg > 9) dir = -1;
      if (deg < 1) dir = 1;
      deg += dir * step;
    }
    if (t.minor && bar.chord % 7 == 4 && ((deg % 7) + 7) % 7 == 6)
      deg += 1;  // no clash with the raised seventh
    const int vel = (strong ? 94 : 80) + rng.range(-6, 6);
    note(out.melody, 0, bar.tick + pos * kEighth, len * kEighth - 30, degree_pitch(t, deg), vel);
    pos += len;
  }
}

// Accompaniment: the tune's own pattern, a held chord in the last bar.
void chords_bar(const TuneDef& t, const Bar& bar, Tracks& out) {
  const std::vector<int> triad = chord_pitches(t, bar.chord, -1);
  const uint32_t at = bar.tick;
  if (bar.final_bar || t.accomp == Accomp::Pad) {
    for (int p : triad) note(out.chords, 1, at, bar.len - 10, p, bar.final_bar ? 64 : 56);
  } else if (t.accomp == Accomp::Arpeggio) {
    const int order[8] = {0, 1, 2, 3, 2, 1, 0, 1};
    for (int i = 0; i < 2 * t.beats; ++i) {
      const int k = order[i % 8];
      const int p = k == 3 ? triad[0] + 12 : triad[k];
      note(out.chords, 1, at + i * kEighth, kEighth * 2, p, 58 + (i == 0 ? 8 : 0));
    }
  } else if (t.accomp == Accomp::OffBeat) {
    for (int beat = 1; beat < 4; beat += 2)
      for (int p : triad) note(out.chords, 1, at + beat * 2 * kEighth, kEighth + 60, p, 60);
  } else {  // waltz: chords on beats 2 and 3
    for (int beat = 1; beat < 3; ++beat)
      for (int p : triad) note(out.chords, 1, at + beat * 2 * kEighth, kEighth + 100, p, 54);
  }
}

// Bass: the root, with the fifth on the half bar in 4/4.
void bass_bar(const TuneDef& t, const Bar& bar, Tracks& out) {
  const int root =
      degree_pitch(t, bar.chord % 7) - 24 - (degree_pitch(t, bar.chord % 7) - 24 > 52 ? 12 : 0);
  if (bar.final_bar || t.beats == 3) {
    note(out.bass, 2, bar.tick, bar.len - 20, root, 84);
  } else if (t.accomp == Accomp::OffBeat) {
    note(out.bass, 2, bar.tick, kEighth * 2 - 20, root, 86);
    note(out.bass, 2, bar.tick + 4 * kEighth, kEighth * 2 - 20, root + 7, 80);
  } else {
    note(out.bass, 2, bar.tick, kEighth * 4 - 20, root, 84);
    note(out.bass, 2, bar.tick + 4 * kEighth, kEighth * 4 - 20, root + 7, 78);
  }
}

// Drums on channel 10: kick, snare (side stick for the quiet tunes), hats; a
// crash on the first bar of a section and on the very last.
void drums_bar(const TuneDef& t, const Bar& bar, bool first, Tracks& out) {
  if (first) note(out.drums, 9, bar.tick, kEighth, 49, 80);
  if (bar.final_bar) {
    note(out.drums, 9, bar.tick, kEighth, 49, 90);
    note(out.drums, 9, bar.tick, kEighth, 36, 90);
    return;
  }
  const int snare = t.bpm < 90 ? 37 : 38;
  for (int beat = 0; beat < t.beats; ++beat) {
    const uint32_t at = bar.tick + beat * 2 * kEighth;
    if (beat % 2 == 0)
      note(out.drums, 9, at, kEighth, 36, 86);
    else
      note(out.drums, 9, at, kEighth, snare, 70);
    note(out.drums, 9, at, kEighth / 2, 42, 52);
    note(out.drums, 9, at + kEighth, kEighth / 2, 42, 40);
  }
}

void compose_section(const TuneDef& t, const Section& s, uint32_t start, bool last, Prng& rng,
                     Tracks& out) {
  const uint32_t bar_len = kEighth * 2 * t.beats;
  const auto& pats = rhythms(t.beats);
  std::vector<int> bar_rhythm(4);
  for (int& r : bar_rhythm) r = rng.range(0, static_cast<int>(pats.size()) - 1);
  int deg = 4;
  const int bars = static_cast<int>(s.chords.size());
  for (int b = 0; b < bars; ++b) {
    const Bar bar{start + bar_len * b, bar_len, s.chords[b], last && b == bars - 1,
                  (b % 4 == 3) || b == bars - 1};
    melody_bar(t, bar, pats[bar_rhythm[b % 4]], deg, rng, out);
    chords_bar(t, bar, out);
    bass_bar(t, bar, out);
    if (t.drums) drums_bar(t, bar, b == 0, out);
  }
}

}  // namespace

std::vector<std::string> demo_tune_names() {
  std::vector<std::string> names;
  for (const TuneDef& t : tune_defs()) names.push_back(t.name);
  return names;
}

std::string compose_tune(const std::string& name) {
  const TuneDef* chosen = &tune_defs().front();
  for (const TuneDef& t : tune_defs())
    if (name == t.name) chosen = &t;
  const TuneDef& t = *chosen;
  Prng rng(t.rng_start);
  Tracks tr;
  std::vector<MidiEvent> conductor;
  const uint32_t us = 60000000u / t.bpm;
  std::string title = "Velmora - " + name.substr(0, name.find('.'));
  std::vector<uint8_t> meta = {0xFF, 0x03, static_cast<uint8_t>(title.size())};
  meta.insert(meta.end(), title.begin(), title.end());
  conductor.push_back({0, meta});
  conductor.push_back({0, {0xFF, 0x58, 0x04, static_cast<uint8_t>(t.beats), 0x02, 0x18, 0x08}});
  conductor.push_back({0,
                       {0xFF, 0x51, 0x03, static_cast<uint8_t>(us >> 16),
                        static_cast<uint8_t>(us >> 8), static_cast<uint8_t>(us)}});
  setup(tr.melody, 0, t.melody_prog, 100, 64, "Melody");
  setup(tr.chords, 1, t.chord_prog, 80, 44, "Chords");
  setup(tr.bass, 2, t.bass_prog, 96, 84, "Bass");
  if (t.drums) setup(tr.drums, 9, 0, 70, 64, "Drums");
  uint32_t tick = 0;
  const uint32_t bar_len = kEighth * 2 * t.beats;
  for (size_t i = 0; i < t.sections.size(); ++i) {
    compose_section(t, t.sections[i], tick, i + 1 == t.sections.size(), rng, tr);
    tick += bar_len * static_cast<uint32_t>(t.sections[i].chords.size());
  }
  std::vector<std::vector<MidiEvent>> tracks = {conductor, tr.melody, tr.chords, tr.bass};
  if (t.drums) tracks.push_back(tr.drums);
  return write_midi(tracks, tick);
}

}  // namespace vm::datatool

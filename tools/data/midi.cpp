#include "data/midi.h"

#include <algorithm>
#include <map>

#include "data/draw.h"

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

bool read_midi(const std::string& bytes, MidiInfo& info, std::string& error) {
  info = MidiInfo{};
  size_t p = 0;
  auto need = [&](size_t n) { return p + n <= bytes.size(); };
  auto u8 = [&]() { return static_cast<uint8_t>(bytes[p++]); };
  auto u16 = [&]() {
    uint32_t v = u8();
    return (v << 8) | u8();
  };
  auto u32 = [&]() {
    uint32_t v = u16();
    return (v << 16) | u16();
  };
  if (!need(14) || bytes.compare(0, 4, "MThd") != 0) {
    error = "no MThd header";
    return false;
  }
  p = 4;
  if (u32() != 6) {
    error = "header length is not 6";
    return false;
  }
  info.format = static_cast<int>(u16());
  info.tracks = static_cast<int>(u16());
  info.division = static_cast<int>(u16());
  if (info.format > 2 || info.division <= 0 || (info.division & 0x8000)) {
    error = "unsupported format or time division";
    return false;
  }
  std::map<uint32_t, uint32_t> tempo;  // tick -> microseconds per quarter
  for (int t = 0; t < info.tracks; ++t) {
    if (!need(8) || bytes.compare(p, 4, "MTrk") != 0) {
      error = "track " + std::to_string(t + 1) + ": no MTrk chunk";
      return false;
    }
    p += 4;
    const uint32_t len = u32();
    if (!need(len)) {
      error = "track " + std::to_string(t + 1) + ": length runs past the end of the file";
      return false;
    }
    const size_t end = p + len;
    uint32_t tick = 0;
    uint8_t running = 0;
    bool ended = false;
    // A variable-length number of at most four bytes within the track.
    auto vlq = [&](uint32_t& out, const char* what) {
      out = 0;
      for (int i = 0;; ++i) {
        if (p >= end || i == 4) {
          error = "track " + std::to_string(t + 1) + ": bad " + what;
          return false;
        }
        const uint8_t b = u8();
        out = (out << 7) | (b & 0x7F);
        if (!(b & 0x80)) return true;
      }
    };
    while (p < end && !ended) {
      uint32_t delta = 0;
      if (!vlq(delta, "delta time")) return false;
      tick += delta;
      if (p >= end) break;
      uint8_t status = static_cast<uint8_t>(bytes[p]);
      if (status & 0x80) {
        ++p;
      } else if (running) {
        status = running;
      } else {
        error = "track " + std::to_string(t + 1) + ": data byte without a status";
        return false;
      }
      if (status == 0xFF || status == 0xF0 || status == 0xF7) {
        uint8_t type = 0;
        if (status == 0xFF) {
          if (p >= end) break;
          type = u8();
        }
        uint32_t mlen = 0;
        if (!vlq(mlen, "meta length")) return false;
        if (p + mlen > end) {
          error = "track " + std::to_string(t + 1) + ": meta event runs past the track";
          return false;
        }
        if (status == 0xFF && type == 0x51 && mlen == 3) {
          const uint32_t us = (static_cast<uint8_t>(bytes[p]) << 16) |
                              (static_cast<uint8_t>(bytes[p + 1]) << 8) |
                              static_cast<uint8_t>(bytes[p + 2]);
          tempo[tick] = us;
        }
        if (status == 0xFF && type == 0x2F) ended = true;
        p += mlen;
        running = 0;
        continue;
      }
      running = status;
      const uint8_t kind = status & 0xF0;
      const int data = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
      if (p + data > end) {
        error = "track " + std::to_string(t + 1) + ": event runs past the track";
        return false;
      }
      if (kind == 0x90 && static_cast<uint8_t>(bytes[p + 1]) > 0) ++info.notes;
      p += data;
    }
    if (!ended) {
      error = "track " + std::to_string(t + 1) + ": no end-of-track event";
      return false;
    }
    p = end;
    info.last_tick = std::max(info.last_tick, tick);
  }
  // Time of the last tick through the tempo map (120 per minute until the
  // first tempo event).
  double seconds = 0;
  uint32_t at = 0, us = 500000;
  for (const auto& [tick, value] : tempo) {
    if (tick >= info.last_tick) break;
    seconds += static_cast<double>(tick - at) * us / 1e6 / info.division;
    at = tick;
    us = value;
  }
  seconds += static_cast<double>(info.last_tick - at) * us / 1e6 / info.division;
  info.seconds = seconds;
  return true;
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

const std::vector<TuneDef>& tune_defs() {
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
      {"velloria.mid",
       96,
       4,
       72,
       false,
       {{{0, 5, 3, 4, 0, 5, 1, 4}}, {{3, 4, 2, 5, 3, 1, 4, 4}}, {{0, 5, 3, 4, 3, 4, 0}}},
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

void compose_section(const TuneDef& t, const Section& s, uint32_t start, bool last, Prng& rng,
                     Tracks& out) {
  const uint32_t bar_len = kEighth * 2 * t.beats;
  const auto& pats = rhythms(t.beats);
  std::vector<int> bar_rhythm(4);
  for (int& r : bar_rhythm) r = rng.range(0, static_cast<int>(pats.size()) - 1);
  int deg = 4;
  const int bars = static_cast<int>(s.chords.size());
  for (int b = 0; b < bars; ++b) {
    const uint32_t bar_tick = start + bar_len * b;
    const int chord = s.chords[b];
    const bool final_bar = last && b == bars - 1;
    const bool phrase_end = (b % 4 == 3) || b == bars - 1;

    // Melody: chord tones on strong beats, steps in between; a long note at
    // the end of each phrase, the tonic at the very end.
    if (final_bar) {
      deg = (deg > 3) ? 7 : 0;
      note(out.melody, 0, bar_tick, bar_len - kEighth, degree_pitch(t, deg), 92);
    } else if (phrase_end) {
      deg = nearest_chord_tone(chord, deg);
      note(out.melody, 0, bar_tick, kEighth * 2 * (t.beats - 1) - 20, degree_pitch(t, deg), 88);
    } else {
      uint32_t pos = 0;
      for (int len : pats[bar_rhythm[b % 4]]) {
        const bool strong = pos == 0 || (t.beats == 4 && pos == 4);
        if (strong) {
          deg = nearest_chord_tone(chord, deg + rng.range(-1, 1));
        } else {
          const int r = rng.range(0, 9);
          const int step = r < 7 ? 1 : (r < 9 ? 2 : 0);
          int dir = rng.range(0, 1) ? 1 : -1;
          if (deg > 9) dir = -1;
          if (deg < 1) dir = 1;
          deg += dir * step;
        }
        if (t.minor && chord % 7 == 4 && ((deg % 7) + 7) % 7 == 6)
          deg += 1;  // no clash with the raised seventh
        const int vel = (strong ? 94 : 80) + rng.range(-6, 6);
        note(out.melody, 0, bar_tick + pos * kEighth, len * kEighth - 30, degree_pitch(t, deg),
             vel);
        pos += len;
      }
    }

    // Accompaniment.
    const std::vector<int> triad = chord_pitches(t, chord, -1);
    if (final_bar || t.accomp == Accomp::Pad) {
      for (int p : triad) note(out.chords, 1, bar_tick, bar_len - 10, p, final_bar ? 64 : 56);
    } else if (t.accomp == Accomp::Arpeggio) {
      const int order[8] = {0, 1, 2, 3, 2, 1, 0, 1};
      for (int i = 0; i < 2 * t.beats; ++i) {
        const int k = order[i % 8];
        const int p = k == 3 ? triad[0] + 12 : triad[k];
        note(out.chords, 1, bar_tick + i * kEighth, kEighth * 2, p, 58 + (i == 0 ? 8 : 0));
      }
    } else if (t.accomp == Accomp::OffBeat) {
      for (int beat = 1; beat < 4; beat += 2)
        for (int p : triad) note(out.chords, 1, bar_tick + beat * 2 * kEighth, kEighth + 60, p, 60);
    } else {  // waltz: chords on beats 2 and 3
      for (int beat = 1; beat < 3; ++beat)
        for (int p : triad)
          note(out.chords, 1, bar_tick + beat * 2 * kEighth, kEighth + 100, p, 54);
    }

    // Bass: the root, with the fifth on the half bar in 4/4.
    const int root =
        degree_pitch(t, chord % 7) - 24 - (degree_pitch(t, chord % 7) - 24 > 52 ? 12 : 0);
    if (final_bar || t.beats == 3) {
      note(out.bass, 2, bar_tick, bar_len - 20, root, 84);
    } else if (t.accomp == Accomp::OffBeat) {
      note(out.bass, 2, bar_tick, kEighth * 2 - 20, root, 86);
      note(out.bass, 2, bar_tick + 4 * kEighth, kEighth * 2 - 20, root + 7, 80);
    } else {
      note(out.bass, 2, bar_tick, kEighth * 4 - 20, root, 84);
      note(out.bass, 2, bar_tick + 4 * kEighth, kEighth * 4 - 20, root + 7, 78);
    }

    // Drums on channel 10: kick, snare (side stick for the quiet tunes), hats.
    if (t.drums) {
      if (b == 0) note(out.drums, 9, bar_tick, kEighth, 49, 80);
      if (final_bar) {
        note(out.drums, 9, bar_tick, kEighth, 49, 90);
        note(out.drums, 9, bar_tick, kEighth, 36, 90);
        continue;
      }
      const int snare = t.bpm < 90 ? 37 : 38;
      for (int beat = 0; beat < t.beats; ++beat) {
        const uint32_t at = bar_tick + beat * 2 * kEighth;
        if (beat % 2 == 0)
          note(out.drums, 9, at, kEighth, 36, 86);
        else
          note(out.drums, 9, at, kEighth, snare, 70);
        note(out.drums, 9, at, kEighth / 2, 42, 52);
        note(out.drums, 9, at + kEighth, kEighth / 2, 42, 40);
      }
    }
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

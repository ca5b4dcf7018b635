// Standard MIDI files for the demo: a small writer, the tune generator that
// composes the demo's music from chord progressions (its randomness always
// starts from the same value), and a reader that measures a file (used by
// the folder check and the tests).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/result.h"

namespace vm::datatool {

constexpr int kTicksPerQuarter = 480;

struct MidiEvent {
  uint32_t tick;
  std::vector<uint8_t> bytes;  // status and data, or FF type len data for meta events
};

// Format 1 file: one track per event list, delta times computed here, an
// end-of-track at end_tick (or after the last event) appended to every track.
std::string write_midi(const std::vector<std::vector<MidiEvent>>& tracks, uint32_t end_tick);

struct MidiInfo {
  int format = 0;
  int tracks = 0;
  int division = 0;
  uint32_t last_tick = 0;  // the longest track's end
  double seconds = 0;      // its length in time, tempo changes included
  int notes = 0;           // note-on events with a velocity above 0
};
// Parses a whole file; the reason when it is not a valid SMF.
Result<MidiInfo> read_midi(const std::string& bytes);

// The demo tunes by file name: "title.mid", "town.mid", "sea.mid",
// "night.mid", "sad.mid" and the ending tune "velloria.mid".
std::vector<std::string> demo_tune_names();
std::string compose_tune(const std::string& name);

}  // namespace vm::datatool

// The three interface sounds, synthesised once into RIFF/WAVE images so the
// program carries no sound files. Everything is computed from fixed formulas
// and a noise generator that always starts from the same value, so the bytes
// never change between runs.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "sound/sound.h"

namespace vm {

namespace {

constexpr double kPi = 3.14159265358979323846;

void put_u16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
  put_u16(out, v & 0xFFFF);
  put_u16(out, v >> 16);
}

void put_tag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

// A canonical 44-byte-header PCM mono file from samples in [-1, 1].
std::vector<uint8_t> make_riff(uint32_t rate, int bits, const std::vector<double>& samples) {
  const uint32_t block = static_cast<uint32_t>(bits / 8);
  const uint32_t data_bytes = static_cast<uint32_t>(samples.size()) * block;
  std::vector<uint8_t> out;
  out.reserve(44 + data_bytes);
  put_tag(out, "RIFF");
  put_u32(out, 36 + data_bytes);
  put_tag(out, "WAVE");
  put_tag(out, "fmt ");
  put_u32(out, 16);
  put_u16(out, 1);  // PCM
  put_u16(out, 1);  // mono
  put_u32(out, rate);
  put_u32(out, rate * block);
  put_u16(out, block);
  put_u16(out, static_cast<uint32_t>(bits));
  put_tag(out, "data");
  put_u32(out, data_bytes);
  for (double s : samples) {
    s = std::clamp(s, -1.0, 1.0);
    if (bits == 8) {
      out.push_back(static_cast<uint8_t>(std::lround(128.0 + s * 127.0)));
    } else {
      const auto v = static_cast<int16_t>(std::lround(s * 32767.0));
      put_u16(out, static_cast<uint16_t>(v));
    }
  }
  return out;
}

// A few milliseconds of linear fade at the end keep the last sample at zero,
// so the sound stops without a pop.
void fade_tail(std::vector<double>& s, size_t tail) {
  tail = std::min(tail, s.size());
  for (size_t i = 0; i < tail; ++i) s[s.size() - 1 - i] *= static_cast<double>(i) / tail;
}

// Button press: a short burst of filtered noise for the contact, over a low
// body tone that drops in pitch and dies away within the 100 ms.
std::vector<uint8_t> press_click() {
  constexpr uint32_t rate = 11025;
  std::vector<double> s(1102);
  uint32_t rng = 0x2545F491u;
  double lp = 0.0;
  double phase = 0.0;
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    rng = rng * 1664525u + 1013904223u;
    const double white = static_cast<double>(rng >> 8) / static_cast<double>(1u << 24) * 2 - 1;
    lp += 0.45 * (white - lp);
    const double noise = lp * std::exp(-t / 0.004);
    const double freq = 520.0 + 380.0 * std::exp(-t / 0.012);
    phase += 2 * kPi * freq / rate;
    const double body = std::sin(phase) * std::exp(-t / 0.018);
    s[i] = 0.55 * noise + 0.5 * body;
  }
  fade_tail(s, 110);
  return make_riff(rate, 8, s);
}

// Hover tick: a few cycles of a high tone with a very fast decay.
std::vector<uint8_t> hover_tick() {
  constexpr uint32_t rate = 11025;
  std::vector<double> s(69);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    const double attack = std::min(1.0, static_cast<double>(i) / 3.0);
    s[i] = 0.45 * attack * std::sin(2 * kPi * 2600.0 * t) * std::exp(-t / 0.0018);
  }
  fade_tail(s, 12);
  return make_riff(rate, 16, s);
}

// Selection chime: a small bell (E6 with its octave and a bright partial)
// with a soft attack and a ringing decay.
std::vector<uint8_t> select_chime() {
  constexpr uint32_t rate = 22050;
  std::vector<double> s(1324);
  for (size_t i = 0; i < s.size(); ++i) {
    const double t = static_cast<double>(i) / rate;
    const double attack = std::min(1.0, t / 0.002);
    const double bell = std::sin(2 * kPi * 1318.51 * t) * std::exp(-t / 0.030) +
                        0.45 * std::sin(2 * kPi * 2637.02 * t) * std::exp(-t / 0.018) +
                        0.2 * std::sin(2 * kPi * 3951.07 * t) * std::exp(-t / 0.010);
    s[i] = 0.42 * attack * bell;
  }
  fade_tail(s, 110);
  return make_riff(rate, 16, s);
}

}  // namespace

const std::vector<uint8_t>& effect_wave(int id) {
  static const std::vector<uint8_t> press = press_click();
  static const std::vector<uint8_t> hover = hover_tick();
  static const std::vector<uint8_t> select = select_chime();
  static const std::vector<uint8_t> none;
  switch (id) {
    case kEffectPress:
      return press;
    case kEffectHover:
      return hover;
    case kEffectSelect:
      return select;
    default:
      return none;
  }
}

}  // namespace vm

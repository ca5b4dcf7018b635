#include "graphics/surface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VM_HAVE_X86 1
#else
#define VM_HAVE_X86 0
#endif

namespace vm {

namespace {

constexpr uint32_t kRgbMask = 0x00FFFFFFu;

// Clips a copy of w x h from (sx, sy) to (dx, dy) against both pictures.
bool clip(const Image& dst, int& dx, int& dy, int& w, int& h, const Image& src, int& sx, int& sy) {
  if (w <= 0 || h <= 0) return false;
  if (sx < 0) {
    dx -= sx;
    w += sx;
    sx = 0;
  }
  if (sy < 0) {
    dy -= sy;
    h += sy;
    sy = 0;
  }
  if (dx < 0) {
    sx -= dx;
    w += dx;
    dx = 0;
  }
  if (dy < 0) {
    sy -= dy;
    h += dy;
    dy = 0;
  }
  w = std::min({w, src.w - sx, dst.w - dx});
  h = std::min({h, src.h - sy, dst.h - dy});
  return w > 0 && h > 0;
}

// A surface copied onto itself must read the source as it was before the
// copy started; the region is taken out first (it is never large).
Image snapshot(const Image& src, int sx, int sy, int w, int h) {
  Image tmp(w, h);
  for (int y = 0; y < h; ++y)
    std::memcpy(&tmp.px[static_cast<size_t>(y) * w],
                &src.px[static_cast<size_t>(sy + y) * src.w + sx],
                static_cast<size_t>(w) * sizeof(uint32_t));
  return tmp;
}

// ------------------------------------------------------------------ blend ---
//
// The rule: out = d * beta + s * alpha per channel, alpha and beta 32-bit
// floats, the sum in double precision, rounded to the nearest integer with
// ties to even. Both products are exact in double (a float times an 8-bit
// integer needs at most 32 significant bits), so the only rounding before the
// final one is that of the sum; every kernel below reproduces exactly that.

struct BlendParams {
  double alpha = 0;
  double beta = 0;
  // Integer form, valid when alpha lies in [0.5, 1): alpha = a / 2^24 and
  // beta = (2^24 - a) / 2^24 exactly (1 - alpha is exact there), so the sum
  // times 2^24 is the integer d * (2^24 - a) + s * a < 2^32 and the double sum
  // is exact; rounding it is then a shift with a tie test.
  bool integer = false;
  uint32_t a = 0;
  uint32_t b = 0;
  // Narrow form of the same: with d * 2^24 + (s - d) * a, the result is
  // d + t(s - d) whenever (s - d) * a / 2^24 is never exactly half-way, and
  // t(e) = round(e * a / 2^24) depends on e in [-255, 255] alone. When a
  // 16-bit multiplier k reproduces t for all 511 values of e (checked below,
  // each call), a rounding 16-bit multiply gives every result exactly.
  bool narrow = false;
  int16_t k = 0;
};

// Looks for a 16-bit k with (e * k + 2^14) >> 15 == round(e * a / 2^24) for
// every e, a tie-free a being required; the check covers every channel pair.
void find_narrow(BlendParams& p) {
  const int64_t a = p.a;
  for (int64_t e = -255; e <= 255; ++e) {
    const int64_t prod = e * a;
    if ((prod & 0xFFFFFF) == 0x800000) return;  // an exact half: the tie needs d
  }
  const int64_t base = a >> 9;
  for (int64_t k : {base, base + 1, base - 1}) {
    if (k <= 0 || k > 32767) continue;
    bool exact = true;
    for (int64_t e = -255; e <= 255 && exact; ++e) {
      const int64_t want = (e * a + 0x800000) >> 24;
      const int64_t got = (e * k + 0x4000) >> 15;
      exact = want == got;
    }
    if (exact) {
      p.narrow = true;
      p.k = static_cast<int16_t>(k);
      return;
    }
  }
}

BlendParams make_params(float alpha) {
  BlendParams p;
  const float beta = 1.0f - alpha;
  p.alpha = alpha;
  p.beta = beta;
  if (alpha >= 0.5f && alpha < 1.0f) {
    p.integer = true;
    p.a = static_cast<uint32_t>(std::ldexp(static_cast<double>(alpha), 24));
    p.b = (1u << 24) - p.a;
    find_narrow(p);
  }
  return p;
}

// Round-half-even of n / 2^24.
inline uint32_t round_q24(uint32_t n) {
  return (n + 0x7FFFFFu + ((n >> 24) & 1u)) >> 24;
}

inline uint32_t blend_pixel_int(uint32_t d, uint32_t s, const BlendParams& p) {
  uint32_t out = 0;
  for (int sh = 0; sh <= 16; sh += 8) {
    const uint32_t n = ((d >> sh) & 0xFFu) * p.b + ((s >> sh) & 0xFFu) * p.a;
    out |= round_q24(n) << sh;
  }
  return out;
}

inline uint32_t blend_pixel_double(uint32_t d, uint32_t s, const BlendParams& p) {
  uint32_t out = 0;
  for (int sh = 0; sh <= 16; sh += 8) {
    const double v = static_cast<double>((d >> sh) & 0xFFu) * p.beta +
                     static_cast<double>((s >> sh) & 0xFFu) * p.alpha;
    const long r = std::lrint(v);  // the default rounding mode: ties to even
    out |= static_cast<uint32_t>(std::clamp(r, 0L, 255L)) << sh;
  }
  return out;
}

void blend_row_portable(uint32_t* d, const uint32_t* s, int n, const BlendParams& p, bool keyed) {
  if (p.integer) {
    for (int i = 0; i < n; ++i)
      if (!keyed || (s[i] & kRgbMask)) d[i] = blend_pixel_int(d[i], s[i], p);
  } else {
    for (int i = 0; i < n; ++i)
      if (!keyed || (s[i] & kRgbMask)) d[i] = blend_pixel_double(d[i], s[i], p);
  }
}

#if VM_HAVE_X86

// Eight pixels at a time in 16-bit lanes: d + round((s - d) * k / 2^15).
__attribute__((target("avx2"))) void blend_row_avx2_narrow(uint32_t* d, const uint32_t* s, int n,
                                                           const BlendParams& p, bool keyed) {
  const __m256i k = _mm256_set1_epi16(p.k);
  const __m256i rgb_mask = _mm256_set1_epi32(static_cast<int>(kRgbMask));
  const __m256i zero = _mm256_setzero_si256();
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i dl = _mm256_unpacklo_epi8(dv, zero), dh = _mm256_unpackhi_epi8(dv, zero);
    const __m256i sl = _mm256_unpacklo_epi8(sv, zero), sh = _mm256_unpackhi_epi8(sv, zero);
    const __m256i rl = _mm256_add_epi16(dl, _mm256_mulhrs_epi16(_mm256_sub_epi16(sl, dl), k));
    const __m256i rh = _mm256_add_epi16(dh, _mm256_mulhrs_epi16(_mm256_sub_epi16(sh, dh), k));
    __m256i out = _mm256_and_si256(_mm256_packus_epi16(rl, rh), rgb_mask);
    if (keyed) {
      const __m256i black = _mm256_cmpeq_epi32(_mm256_and_si256(sv, rgb_mask), zero);
      out = _mm256_blendv_epi8(out, dv, black);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), out);
  }
  blend_row_portable(d + i, s + i, n - i, p, keyed);
}

// Eight pixels at a time in 32-bit lanes: each lane is one channel (the
// reserved top byte rides along and is masked off at the end).
__attribute__((target("avx2"))) void blend_row_avx2_int(uint32_t* d, const uint32_t* s, int n,
                                                        const BlendParams& p, bool keyed) {
  const __m256i va = _mm256_set1_epi32(static_cast<int>(p.a));
  const __m256i half = _mm256_set1_epi32(0x7FFFFF);
  const __m256i one = _mm256_set1_epi32(1);
  const __m256i rgb_mask = _mm256_set1_epi32(static_cast<int>(kRgbMask));
  const __m256i zero = _mm256_setzero_si256();
  // packus works within 128-bit lanes; this puts the pixels back in order.
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
  int i = 0;
  for (; i + 8 <= n; i += 8) {
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    __m256i q[4];
    for (int k = 0; k < 4; ++k) {
      const __m128i d2 =
          _mm_loadl_epi64(reinterpret_cast<const __m128i*>(d + i + static_cast<ptrdiff_t>(2 * k)));
      const __m128i s2 =
          _mm_loadl_epi64(reinterpret_cast<const __m128i*>(s + i + static_cast<ptrdiff_t>(2 * k)));
      const __m256i dc = _mm256_cvtepu8_epi32(d2);
      const __m256i sc = _mm256_cvtepu8_epi32(s2);
      // d * (2^24 - a) + s * a = d * 2^24 + (s - d) * a; the true value lies
      // in [0, 2^32), so the wrapping 32-bit arithmetic gives it exactly.
      const __m256i nsum = _mm256_add_epi32(_mm256_slli_epi32(dc, 24),
                                            _mm256_mullo_epi32(_mm256_sub_epi32(sc, dc), va));
      const __m256i odd = _mm256_and_si256(_mm256_srli_epi32(nsum, 24), one);
      q[k] = _mm256_srli_epi32(_mm256_add_epi32(_mm256_add_epi32(nsum, half), odd), 24);
    }
    // q[k] holds pixels 2k and 2k+1 (four channels each) as 32-bit values.
    const __m256i w01 = _mm256_packus_epi32(q[0], q[1]);  // lanes: p0 p2 | p1 p3
    const __m256i w23 = _mm256_packus_epi32(q[2], q[3]);  // lanes: p4 p6 | p5 p7
    __m256i bytes = _mm256_packus_epi16(w01, w23);        // p0 p2 p4 p6 | p1 p3 p5 p7
    bytes = _mm256_permutevar8x32_epi32(bytes, order);
    bytes = _mm256_and_si256(bytes, rgb_mask);
    if (keyed) {
      const __m256i black = _mm256_cmpeq_epi32(_mm256_and_si256(sv, rgb_mask), zero);
      bytes = _mm256_blendv_epi8(bytes, dv, black);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), bytes);
  }
  blend_row_portable(d + i, s + i, n - i, p, keyed);
}

// Any other density: four channels of one pixel per double vector; the
// products, the sum and the conversion (ties to even) are the rule's own.
__attribute__((target("avx2"))) void blend_row_avx2_double(uint32_t* d, const uint32_t* s, int n,
                                                           const BlendParams& p, bool keyed) {
  const __m256d vbeta = _mm256_set1_pd(p.beta);
  const __m256d valpha = _mm256_set1_pd(p.alpha);
  const __m128i rgb_mask = _mm_set1_epi32(static_cast<int>(kRgbMask));
  const __m128i zero = _mm_setzero_si128();
  int i = 0;
  for (; i + 4 <= n; i += 4) {
    __m128i q[4];
    for (int k = 0; k < 4; ++k) {
      const __m128i dc = _mm_cvtepu8_epi32(_mm_cvtsi32_si128(static_cast<int>(d[i + k])));
      const __m128i sc = _mm_cvtepu8_epi32(_mm_cvtsi32_si128(static_cast<int>(s[i + k])));
      const __m256d sum = _mm256_add_pd(_mm256_mul_pd(_mm256_cvtepi32_pd(dc), vbeta),
                                        _mm256_mul_pd(_mm256_cvtepi32_pd(sc), valpha));
      q[k] = _mm256_cvtpd_epi32(sum);
    }
    __m128i bytes = _mm_packus_epi16(_mm_packus_epi32(q[0], q[1]), _mm_packus_epi32(q[2], q[3]));
    bytes = _mm_and_si128(bytes, rgb_mask);
    if (keyed) {
      const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
      const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
      const __m128i black = _mm_cmpeq_epi32(_mm_and_si128(sv, rgb_mask), zero);
      bytes = _mm_blendv_epi8(bytes, dv, black);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), bytes);
  }
  blend_row_portable(d + i, s + i, n - i, p, keyed);
}

bool cpu_has_avx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}

#endif

BlendKernel g_kernel = BlendKernel::Auto;

void blend_row(uint32_t* d, const uint32_t* s, int n, const BlendParams& p, bool keyed) {
#if VM_HAVE_X86
  if (g_kernel == BlendKernel::Auto && cpu_has_avx2()) {
    if (p.narrow)
      blend_row_avx2_narrow(d, s, n, p, keyed);
    else if (p.integer)
      blend_row_avx2_int(d, s, n, p, keyed);
    else
      blend_row_avx2_double(d, s, n, p, keyed);
    return;
  }
#endif
  blend_row_portable(d, s, n, p, keyed);
}

}  // namespace

void set_blend_kernel(BlendKernel kernel) {
  g_kernel = kernel;
}

void bit_blt(Surface& dst, int dx, int dy, int w, int h, const Surface& src, int sx, int sy,
             Rop rop) {
  if (rop != SRCCOPY && rop != SRCAND && rop != SRCINVERT) return;
  if (!clip(dst.img, dx, dy, w, h, src.img, sx, sy)) return;
  Image tmp;
  const Image* from = &src.img;
  if (&dst == &src) {
    tmp = snapshot(src.img, sx, sy, w, h);
    from = &tmp;
    sx = sy = 0;
  }
  for (int y = 0; y < h; ++y) {
    const uint32_t* s = &from->px[static_cast<size_t>(sy + y) * from->w + sx];
    uint32_t* d = &dst.img.px[static_cast<size_t>(dy + y) * dst.img.w + dx];
    switch (rop) {
      case SRCCOPY:
        std::memcpy(d, s, static_cast<size_t>(w) * sizeof(uint32_t));
        break;
      case SRCAND:
        for (int x = 0; x < w; ++x) d[x] &= s[x];
        break;
      case SRCINVERT:
        for (int x = 0; x < w; ++x) d[x] ^= s[x];
        break;
    }
  }
}

void fill_rect(Surface& dst, int x, int y, int w, int h, uint32_t colour) {
  if (w <= 0 || h <= 0) return;
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = static_cast<int>(std::min<long>(long{x} + w, dst.img.w));
  const int y1 = static_cast<int>(std::min<long>(long{y} + h, dst.img.h));
  if (x0 >= x1 || y0 >= y1) return;
  for (int yy = y0; yy < y1; ++yy) {
    uint32_t* row = &dst.img.px[static_cast<size_t>(yy) * dst.img.w];
    std::fill(row + x0, row + x1, colour);
  }
}

void Surface::place_keeping(int l, int t, int w, int h) {
  left = l;
  top = t;
  if (w == img.w && h == img.h) return;
  Image grown(w, h, back_color);
  const int cw = std::min(w, img.w), ch = std::min(h, img.h);
  for (int y = 0; y < ch; ++y)
    std::memcpy(&grown.px[static_cast<size_t>(y) * w], &img.px[static_cast<size_t>(y) * img.w],
                static_cast<size_t>(std::max(cw, 0)) * sizeof(uint32_t));
  img = std::move(grown);
}

void stretch_blt(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy,
                 int sw, int sh) {
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  const Image from = &dst == &src ? src.img : Image();
  const Image& s = &dst == &src ? from : src.img;
  for (int y = 0; y < dh; ++y) {
    const int ty = dy + y;
    if (ty < 0 || ty >= dst.img.h) continue;
    // The centre of destination row y lands on source row (2y + 1) sh / 2dh.
    const int fy = sy + static_cast<int>((2LL * y + 1) * sh / (2LL * dh));
    if (fy < 0 || fy >= s.h) continue;
    for (int x = 0; x < dw; ++x) {
      const int tx = dx + x;
      if (tx < 0 || tx >= dst.img.w) continue;
      const int fx = sx + static_cast<int>((2LL * x + 1) * sw / (2LL * dw));
      if (fx < 0 || fx >= s.w) continue;
      dst.img.at(tx, ty) = s.at(fx, fy);
    }
  }
}

void draw_line(Surface& dst, int x0, int y0, int x1, int y1, uint32_t colour) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int step_x = x0 < x1 ? 1 : -1, step_y = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  int x = x0, y = y0;
  while (x != x1 || y != y1) {
    if (dst.img.contains(x, y)) dst.img.at(x, y) = colour;
    const int e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += step_x;
    }
    if (e2 <= dx) {
      err += dx;
      y += step_y;
    }
  }
}

void make_mask(Surface& dest, Surface& src, int x, int y, int w, int h) {
  src.back_color = 0;
  const int cw = std::min(w, dest.img.w), ch = std::min(h, dest.img.h);
  for (int yy = 0; yy < ch; ++yy) {
    uint32_t* out = &dest.img.px[static_cast<size_t>(yy) * dest.img.w];
    for (int xx = 0; xx < cw; ++xx) {
      // Outside the source the one-bit copy holds 0 (foreground). Only the
      // colour triple counts: the reserved byte never makes a pixel opaque.
      const bool black =
          src.img.contains(x + xx, y + yy) && (src.img.at(x + xx, y + yy) & kRgbMask) == 0;
      out[xx] = black ? dest.back_color : dest.fore_color;
    }
  }
}

int32_t read_pixels(const Surface& surface, std::vector<uint32_t>& pixels) {
  const Image& im = surface.img;
  if (im.w <= 0 || im.h <= 0 || im.px.size() != static_cast<size_t>(im.w) * im.h) return -1;
  const size_t count = static_cast<size_t>(im.w) * im.h;
  pixels.resize(count + 1);
  for (int row = 0; row < im.h; ++row) {
    const uint32_t* from = &im.px[static_cast<size_t>(im.h - 1 - row) * im.w];
    uint32_t* to = &pixels[static_cast<size_t>(row) * im.w];
    for (int x = 0; x < im.w; ++x) to[x] = from[x] & kRgbMask;
  }
  pixels[count] = 0;
  return static_cast<int32_t>(count);
}

int32_t write_pixels(Surface& surface, const std::vector<uint32_t>& pixels) {
  Image& im = surface.img;
  if (im.w <= 0 || im.h <= 0 || im.px.size() != static_cast<size_t>(im.w) * im.h) return -1;
  if (pixels.size() < static_cast<size_t>(im.w) * im.h) return -1;
  for (int row = 0; row < im.h; ++row) {
    const uint32_t* from = &pixels[static_cast<size_t>(row) * im.w];
    uint32_t* to = &im.px[static_cast<size_t>(im.h - 1 - row) * im.w];
    for (int x = 0; x < im.w; ++x) to[x] = from[x] & kRgbMask;
  }
  return 0;
}

void blend_region(Surface& dest, int dx, int dy, int w, int h, const Surface& src, int sx, int sy,
                  float alpha, int16_t keyed) {
  if (!(alpha >= 0.0f && alpha <= 1.0f)) return;  // NaN fails both tests
  if (!clip(dest.img, dx, dy, w, h, src.img, sx, sy)) return;
  // Alpha 0 gives d * 1 + s * 0 = d exactly: nothing changes.
  if (alpha == 0.0f) return;
  Image tmp;
  const Image* from = &src.img;
  if (&dest == &src) {
    tmp = snapshot(src.img, sx, sy, w, h);
    from = &tmp;
    sx = sy = 0;
  }
  const BlendParams p = make_params(alpha);
  const bool with_key = keyed != 0;
  for (int y = 0; y < h; ++y) {
    const uint32_t* s = &from->px[static_cast<size_t>(sy + y) * from->w + sx];
    uint32_t* d = &dest.img.px[static_cast<size_t>(dy + y) * dest.img.w + dx];
    if (alpha == 1.0f) {
      // d * 0 + s * 1 = s exactly: a copy of the colour triples.
      for (int x = 0; x < w; ++x)
        if (!with_key || (s[x] & kRgbMask)) d[x] = s[x] & kRgbMask;
    } else {
      blend_row(d, s, w, p, with_key);
    }
  }
}

}  // namespace vm

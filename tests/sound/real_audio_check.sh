#!/bin/sh
# Runs the desktop game on a virtual X display with SDL's disk audio driver
# for a while (it idles on the title screen with the title tune looping) and
# reports how much of the written sample stream is sound and how loud it is.
# Needs xvfb-run and python3; no sound card.
#
#   tests/sound/real_audio_check.sh BUILD_DIR [SECONDS]
set -eu

build=${1:?usage: real_audio_check.sh BUILD_DIR [SECONDS]}
seconds=${2:-12}
out=$(mktemp /tmp/velmora_audio.XXXXXX)
trap 'rm -f "$out"' EXIT

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" \
  xvfb-run -a timeout "$seconds" "$build/velmora" || true

python3 - "$out" "$seconds" <<'EOF'
import math, struct, sys
path, seconds = sys.argv[1], float(sys.argv[2])
data = open(path, 'rb').read()
frames = len(data) // 4  # 16-bit stereo at 44100 Hz
samples = struct.unpack('<%dh' % (frames * 2), data[:frames * 4])
peak = max((abs(s) for s in samples), default=0)
window = 441  # 10 ms
loud = sum(1 for w in range(0, frames, window)
           if max(abs(s) for s in samples[2 * w:2 * (w + window)]) >= 64)
print('written: %.2f s of audio in a %.0f s run' % (frames / 44100.0, seconds))
print('sounding: %.2f s' % (loud * window / 44100.0))
print('peak: %d (%.1f dBFS)' % (peak, 20 * math.log10(peak / 32768.0) if peak else -999))
sys.exit(0 if peak > 1000 else 1)
EOF

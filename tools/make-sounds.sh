#!/usr/bin/env bash
# Regenerates the game and chatter sounds in src/ui/resources/sounds/.
# Speech comes from espeak-ng, tones and noises from sox, the MPEG layer 3
# payloads of wave6, wave15, wave16, wave17 and wave20 from lame (wrapped into
# WAVE files with format tag 0x55 by wav-mp3.py). sox runs in repeatable mode,
# so the same tools give the same files.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../src/ui/resources/sounds}
mkdir -p "$out"
out=$(cd "$out" && pwd)

for tool in espeak-ng sox lame python3 bc; do
  command -v "$tool" >/dev/null || {
    echo "make-sounds: $tool is missing (apt-get install -y espeak-ng sox lame libsox-fmt-all bc)" >&2
    exit 1
  }
done

export SOX_OPTS="-R -V1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

RATE=22050
tmp() { mktemp -p "$work" --suffix=.wav; }
calc() { LC_ALL=C printf '%.4f' "$(echo "$1" | bc -l)"; }

# tone OUT SECONDS TYPE FREQ [sox effects...]: one generated tone or noise.
tone() {
  local o=$1 len=$2 type=$3 freq=$4
  shift 4
  if [[ $freq == - ]]; then
    sox -n -r $RATE -b 16 -c 1 "$o" synth "$len" "$type" "$@"
  else
    sox -n -r $RATE -b 16 -c 1 "$o" synth "$len" "$type" "$freq" "$@"
  fi
}

# note OUT SECONDS FREQ: a bell-like note (sine with a soft octave) that dies away.
note() {
  local o=$1 len=$2 f=$3 a b
  a=$(tmp); b=$(tmp)
  tone "$a" "$len" sine "$f"
  tone "$b" "$len" sine "$(calc "$f * 2")" vol 0.3
  sox -m "$a" "$b" "$o" fade l 0.004 "$len" "$(calc "$len - 0.01")"
}

# brass OUT SECONDS FREQ: a short horn note for the fanfare.
brass() {
  local o=$1 len=$2 f=$3 a b
  a=$(tmp); b=$(tmp)
  tone "$a" "$len" sawtooth "$f" lowpass 2400
  tone "$b" "$len" square "$(calc "$f * 1.003")" lowpass 1500 vol 0.5
  sox -m "$a" "$b" "$o" fade h 0.02 "$len" 0.06
}

# delayed OUT IN SECONDS: IN with leading silence.
delayed() { sox "$2" "$1" pad "$3"; }

# speak OUT VOICE PITCH SPEED TEXT: espeak-ng speech, trimmed of silence.
speak() {
  local o=$1 voice=$2 pitch=$3 speed=$4 text=$5 r
  r=$(tmp)
  espeak-ng -v "$voice" -p "$pitch" -s "$speed" -a 180 -w "$r" "$text"
  sox "$r" -r $RATE -c 1 "$o" silence 1 0.005 0.3% reverse silence 1 0.005 0.3% reverse
}

# finish NAME IN [BITS [RATE]]: normalise and store as PCM WAVE.
finish() {
  local name=$1 in=$2 bits=${3:-16} rate=${4:-$RATE}
  sox "$in" -b "$bits" -r "$rate" -e "$( ((bits == 8)) && echo unsigned || echo signed)" \
    "$out/$name.wav" norm -2
}

# finish_mp3 NAME IN: normalise, encode with lame and wrap with format tag 0x55.
finish_mp3() {
  local name=$1 in=$2 pcm mp3
  pcm=$(tmp); mp3="$name.mp3"
  sox "$in" -b 16 -r $RATE -c 1 "$pcm" norm -2
  lame --quiet -m m -b 32 --cbr -q 2 "$pcm" "$mp3"
  python3 "$here/wav-mp3.py" "$mp3" "$(soxi -s "$pcm")" "$out/$name.wav"
}

# ---- game sounds ---------------------------------------------------------

# bid: a light tick.
a=$(tmp); b=$(tmp); c=$(tmp)
tone "$a" 0.05 sine 1900 fade q 0.001 0.05 0.045
tone "$b" 0.05 whitenoise - highpass 3000 fade q 0.001 0.05 0.048 vol 0.4
sox -m "$a" "$b" "$c"
finish bid "$c"

# placecard: a soft card snap, well under a tenth of a second.
a=$(tmp); b=$(tmp); c=$(tmp)
tone "$a" 0.07 pinknoise - band 1800 1400 fade q 0.001 0.07 0.066
tone "$b" 0.07 sine 170 fade q 0.001 0.07 0.06 vol 0.6
sox -m "$a" "$b" "$c"
finish placecard "$c"

# taketrick: a riffle of cards swept together.
parts=()
for i in 0 1 2 3 4 5 6 7 8; do
  p=$(tmp)
  tone "$p" 0.045 pinknoise - band $((900 + i * 260)) 900 fade q 0.002 0.045 0.04 pad 0 0.012
  parts+=("$p")
done
a=$(tmp)
sox "${parts[@]}" "$a" fade t 0 0 0.2
finish taketrick "$a"

# turn: a gentle two-note chime, the first note left of centre, the second right.
a=$(tmp); b=$(tmp); c=$(tmp); d=$(tmp); e=$(tmp)
note "$a" 0.55 1318.5
note "$b" 0.55 1046.5
sox "$a" -c 2 "$c" remix 1v0.9 1v0.45 pad 0 0.2
sox "$b" -c 2 "$d" remix 1v0.45 1v0.9 pad 0.2
sox -m "$c" "$d" "$e"
sox "$e" -b 16 -r $RATE "$out/turn.wav" norm -2

# turnnew: a plucked rising fifth.
a=$(tmp); b=$(tmp); c=$(tmp); d=$(tmp)
tone "$a" 0.5 pluck 784 fade q 0.002 0.5 0.45
tone "$b" 0.5 pluck 1174.7 fade q 0.002 0.5 0.45
delayed "$c" "$b" 0.16
sox "$a" "$d" pad 0 0.16
e=$(tmp)
sox -m "$d" "$c" "$e"
finish turnnew "$e"

# turnovergood: a rising arpeggio.
parts=()
i=0
for f in 523.3 659.3 784 1046.5; do
  p=$(tmp); q=$(tmp)
  note "$p" 0.42 "$f"
  delayed "$q" "$p" "$(calc "$i * 0.1")"
  parts+=("$q")
  i=$((i + 1))
done
a=$(tmp)
sox -m "${parts[@]}" "$a"
finish turnovergood "$a"

# turnoverbad: a falling "bwomp".
a=$(tmp); b=$(tmp); c=$(tmp)
tone "$a" 0.22 square 300:250 lowpass 900 fade h 0.01 0.22 0.05
tone "$b" 0.55 square 230:95 lowpass 700 tremolo 9 30 fade h 0.01 0.55 0.25
sox "$a" "$b" "$c"
finish turnoverbad "$c"

# winner: a short fanfare.
parts=()
for nf in "0.12 392" "0.12 523.3" "0.12 659.3" "0.22 784" "0.12 659.3" "0.7 784"; do
  read -r len f <<<"$nf"
  p=$(tmp)
  brass "$p" "$len" "$f"
  parts+=("$p")
done
a=$(tmp)
sox "${parts[@]}" "$a" reverb 30
finish winner "$a"

# ---- chatter sounds -------------------------------------------------------

# 1 Doh
a=$(tmp); speak "$a" en-us+m3 25 150 "Doh!"
finish wave1 "$a"

# 2 Cough: three filtered noise bursts (8 bits, 11025 Hz).
parts=()
for len in 0.2 0.17 0.24; do
  p=$(tmp); q=$(tmp); r=$(tmp)
  tone "$p" "$len" brownnoise - band 500 700 overdrive 8
  tone "$q" "$len" whitenoise - band 1400 900 vol 0.4
  sox -m "$p" "$q" "$r" fade q 0.008 "$len" "$(calc "$len - 0.02")" pad 0 0.12
  parts+=("$r")
done
a=$(tmp)
sox "${parts[@]}" "$a"
finish wave2 "$a" 8 11025

# 3 Hello
a=$(tmp); speak "$a" en-us 55 150 "Hello!"
finish wave3 "$a"

# 4 Thank You
a=$(tmp); speak "$a" en-gb 50 140 "Thank you."
finish wave4 "$a"

# 5 Where have you been?
a=$(tmp); speak "$a" en-us+m1 55 150 "Where have you been?"
finish wave5 "$a"

# 6 Snoring: a rattling intake and a breathy release, twice (MPEG).
p=$(tmp); q=$(tmp); r=$(tmp); s=$(tmp); u=$(tmp); v=$(tmp)
tone "$p" 1.3 brownnoise - lowpass 450 tremolo 32 85 fade h 0.35 1.3 0.35
tone "$q" 1.3 sawtooth 62 lowpass 300 tremolo 32 70 fade h 0.35 1.3 0.35 vol 0.5
sox -m "$p" "$q" "$r"
tone "$s" 0.9 pinknoise - band 900 1200 fade h 0.1 0.9 0.6 vol 0.35
sox "$r" "$s" "$u" pad 0 0.15
sox "$u" "$u" "$v"
finish_mp3 wave6 "$v"

# 7 Sneezing: "ah ... ahh ..." and a burst.
p=$(tmp); q=$(tmp); r=$(tmp); s=$(tmp); u=$(tmp)
speak "$p" en-us+m3 45 110 "ah,"
speak "$q" en-us+m3 70 90 "aah"
speak "$r" en-us+m3 60 200 "choo!"
tone "$s" 0.28 whitenoise - highpass 1800 fade q 0.003 0.28 0.24
sox -m "$r" "$s" "$u"
a=$(tmp)
sox "$p" "$q" "$u" "$a" pad 0 0.05
finish wave7 "$a" 8

# 8 Sorry
a=$(tmp); speak "$a" en-us+f3 60 130 "Sorry."
finish wave8 "$a"

# 9 Welcome
a=$(tmp); speak "$a" en-us 60 150 "Welcome!"
finish wave9 "$a"

# 10 Yeehaa: excited, high and fast.
a=$(tmp); speak "$a" en-us+m3 90 190 "Yee haaaa!"
finish wave10 "$a"

# 11 Yippee
a=$(tmp); speak "$a" en-us+f2 85 180 "Yippee!"
finish wave11 "$a"

# 12 Oh No: low and slow.
a=$(tmp); speak "$a" en-us+m3 15 95 "Oh no."
finish wave12 "$a"

# 13 Applause: trains of claps at uneven rates over a murmur (8 bits).
clap=$(tmp)
tone "$clap" 0.018 whitenoise - band 1300 900 fade q 0.001 0.018 0.016
trains=()
i=0
for period in 0.19 0.23 0.27 0.31 0.21 0.17 0.25; do
  p=$(tmp); q=$(tmp)
  sox "$clap" "$p" pad 0 "$(calc "$period - 0.018")" repeat 12
  delayed "$q" "$p" "$(calc "$i * 0.03")"
  trains+=("$q")
  i=$((i + 1))
done
m=$(tmp); a=$(tmp)
tone "$m" 2.6 pinknoise - band 1000 1500 vol 0.1
sox -m "${trains[@]}" "$m" "$a" trim 0 2.6 fade h 0.1 2.6 0.7
finish wave13 "$a" 8

# 14 Honk: a two-tone square-wave horn, twice (11025 Hz).
p=$(tmp); q=$(tmp); r=$(tmp); a=$(tmp)
tone "$p" 0.3 square 370 lowpass 1800
tone "$q" 0.3 square 466 lowpass 1800
sox -m "$p" "$q" "$r" overdrive 5 fade h 0.01 0.3 0.04 pad 0 0.1
sox "$r" "$r" "$a"
finish wave14 "$a" 16 11025

# 15 Oooh: a small crowd going "oooh" (MPEG).
p=$(tmp); q=$(tmp); r=$(tmp); s=$(tmp); a=$(tmp)
speak "$p" en-us+m3 35 80 "Ooooooh"
speak "$q" en-us+f2 65 85 "Ooooooh"
speak "$r" en-gb+m1 45 75 "Ooooooh"
delayed "$s" "$r" 0.07
sox -m "$p" "$q" "$s" "$a" reverb 40
finish_mp3 wave15 "$a"

# 16 Razzberry: a fluttering low buzz (MPEG).
p=$(tmp); q=$(tmp); a=$(tmp)
tone "$p" 1.2 sawtooth 95:70 lowpass 1600 tremolo 27 90
tone "$q" 1.2 pinknoise - band 700 900 tremolo 27 90 vol 0.5
sox -m "$p" "$q" "$a" overdrive 10 fade h 0.03 1.2 0.3
finish_mp3 wave16 "$a"

# 17 Cheer: a crowd swelling up with a few shouts (MPEG).
p=$(tmp); q=$(tmp); r=$(tmp); s=$(tmp); u=$(tmp); v=$(tmp); w=$(tmp); a=$(tmp)
tone "$p" 2.3 pinknoise - band 1400 2200 tremolo 7 30 fade h 0.3 2.3 0.8 vol 0.5
speak "$q" en-us+m3 70 170 "Hooray!"
speak "$r" en-us+f2 90 180 "Yay!"
speak "$s" en-gb+m1 60 160 "Whoo hoo!"
delayed "$u" "$q" 0.15
delayed "$v" "$r" 0.5
delayed "$w" "$s" 0.9
sox -m "$p" "$u" "$v" "$w" "$a" reverb 30
finish_mp3 wave17 "$a"

# 18 Woman Laughing: "ha" syllables falling in pitch.
parts=()
for pitch in 95 88 82 76 70 64; do
  p=$(tmp)
  speak "$p" en-us+f4 "$pitch" 230 "ha"
  q=$(tmp); sox "$p" "$q" tempo 1.7 pad 0 0.03
  parts+=("$q")
done
a=$(tmp)
sox "${parts[@]}" "$a"
finish wave18 "$a"

# 19 Man Laughing: low "ha ha ho ho".
parts=()
for sp in "40 ha" "36 ha" "32 ha" "28 ho" "24 ho" "20 hoh"; do
  read -r pitch syl <<<"$sp"
  p=$(tmp)
  speak "$p" en-us+m3 "$pitch" 210 "$syl"
  q=$(tmp); sox "$p" "$q" tempo 1.5 pad 0 0.04
  parts+=("$q")
done
a=$(tmp)
sox "${parts[@]}" "$a"
finish wave19 "$a"

# 20 Crying: long wails and sobs, five seconds (MPEG).
p=$(tmp); q=$(tmp); r=$(tmp); s=$(tmp); a=$(tmp)
speak "$p" en-us+f5 80 70 "waaaaah"
speak "$q" en-us+f5 70 70 "waaaaaah"
speak "$r" en-us+f5 85 200 "hu hu hu"
sox "$p" "$r" "$q" "$r" "$p" "$s" tremolo 6 35
sox "$s" "$a" pad 0 5 trim 0 5 fade t 0 5 0.4
finish_mp3 wave20 "$a"

cat >"$out/../sounds.qrc" <<'EOF'
<RCC>
    <qresource prefix="/sounds">
EOF
for f in "$out"/*.wav; do
  echo "        <file alias=\"$(basename "$f")\">sounds/$(basename "$f")</file>" >>"$out/../sounds.qrc"
done
cat >>"$out/../sounds.qrc" <<'EOF'
    </qresource>
</RCC>
EOF
echo "make-sounds: $(ls "$out"/*.wav | wc -l) files, $(du -ck "$out"/*.wav | tail -1 | cut -f1) KiB"

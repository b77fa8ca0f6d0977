#!/usr/bin/env python3
"""Wrap an MPEG layer 3 stream into a RIFF WAVE file with format tag 0x55.

usage: wav-mp3.py IN.mp3 SAMPLE_COUNT OUT.wav

The fmt chunk is the MPEG layer 3 wave format (18 bytes plus 12 extra bytes),
a fact chunk holds the number of samples per channel, and the data chunk holds
the MPEG frames as they are (ID3 tags stripped).
"""
import struct
import sys

BITRATES = {  # kbit/s by (mpeg1?, index), layer 3 only
    True: [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
    False: [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160],
}
RATES = {3: [44100, 48000, 32000], 2: [22050, 24000, 16000], 0: [11025, 12000, 8000]}


def strip_id3(data: bytes) -> bytes:
    if data[:3] == b"ID3" and len(data) >= 10:
        size = 0
        for b in data[6:10]:
            size = (size << 7) | (b & 0x7F)
        data = data[10 + size:]
    if len(data) >= 128 and data[-128:-125] == b"TAG":
        data = data[:-128]
    return data


def first_header(data: bytes):
    for i in range(len(data) - 3):
        if data[i] == 0xFF and (data[i + 1] & 0xE0) == 0xE0:
            version = (data[i + 1] >> 3) & 3
            layer = (data[i + 1] >> 1) & 3
            br_index = data[i + 2] >> 4
            sr_index = (data[i + 2] >> 2) & 3
            if version == 1 or layer != 1 or br_index in (0, 15) or sr_index == 3:
                continue
            mode = data[i + 3] >> 6
            return i, version, BITRATES[version == 3][br_index], RATES[version][sr_index], \
                1 if mode == 3 else 2
    sys.exit("no MPEG layer 3 frame found")


def main() -> None:
    src, samples, dst = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    with open(src, "rb") as f:
        data = strip_id3(f.read())
    start, version, kbps, rate, channels = first_header(data)
    data = data[start:]
    # Frame length without the padding slot: 144 (MPEG-1) or 72 (MPEG-2/2.5) * bitrate / rate.
    block = (144 if version == 3 else 72) * kbps * 1000 // rate
    fmt = struct.pack("<HHIIHHH", 0x55, channels, rate, kbps * 1000 // 8, 1, 0, 12)
    # wID 1 (MPEG), fdwFlags 0 (ISO padding), nBlockSize, nFramesPerBlock 1,
    # nCodecDelay: the encoder's delay plus the decoder's.
    fmt += struct.pack("<HIHHH", 1, 0, block, 1, 1105)
    chunks = b"fmt " + struct.pack("<I", len(fmt)) + fmt
    chunks += b"fact" + struct.pack("<II", 4, samples)
    chunks += b"data" + struct.pack("<I", len(data)) + data
    if len(data) % 2:
        chunks += b"\0"
    with open(dst, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WAVE" + chunks)


if __name__ == "__main__":
    main()

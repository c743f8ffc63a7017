#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets: well-formed replies, frames,
parameter files and line streams, plus a few near misses. The files beside
this script were made by it; run it again after changing it."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))


def words(*values):
    return b"".join(v.to_bytes(2, "big") for v in values)


def write(target, name, data):
    folder = os.path.join(HERE, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def reply(command, argument, data_words):
    frame = words(0x00AA, command, argument) + words(*data_words)
    return frame.ljust(36, b"\0")[:36]


def command_frame(command, argument=0, data_words=()):
    frame = words(0x0055, command, argument) + words(*data_words)
    return frame.ljust(36, b"\0")[:36]


# ---- reply frames and data blocks ----------------------------------------------
raw_values = words(0x00AA, 8) + words(*[1000 + 37 * i for i in range(16)])
parameters = reply(2, 1, [0x0102 * (i + 1) & 0xFFFF for i in range(15)])
hardware = reply(10, 0, [10, 20, 1024, 2, 0, 4096, 4, 0, 1023, 301, 80, 256, 0, 0, 0])
video_block = words(*[(i * 4) & 0xFF for i in range(64)])
write("reply_frame", "raw_values", raw_values)
write("reply_frame", "parameters", parameters)
write("reply_frame", "hardware", hardware)
write("reply_frame", "raw_values_and_block", raw_values + video_block)
write("reply_frame", "block_full_scale_1024",
      words(*[1023 if 20 <= i < 40 else 100 for i in range(64)]))

# ---- firmware text ------------------------------------------------------------
text = b"K-VOR firmware V3.01"
write("firmware_text", "board0_words", b"".join(bytes([0, c]) for c in text).ljust(72, b"\0"))
write("firmware_text", "board1_bytes", text.ljust(72, b"\0") + words(1))
write("firmware_text", "board2_full_72", (b"0123456789" * 8)[:72] + words(2))
write("firmware_text", "board0_full_36", b"".join(bytes([0x41, 0x30 + i % 10]) for i in range(36)))
write("firmware_text", "nul_inside", b"abc\0def".ljust(72, b"x") + words(0xFFFF))

# ---- parameter files: selector byte, then the text -------------------------------
numbers = [0x55, 1, 1, 0, 7, 100, 4000, 3, 2, 0, 0, 1, 25, 500, 1500,
           0x55, 1, 2, 9, 8, 7, 6, 5, 4, 3, 2, 1, 65535, 123456, 4294967295]
lines = "".join("%10u\n" % n for n in numbers).encode()
write("number_list", "parameter_file", bytes([30]) + lines)
write("number_list", "parameter_file_crlf_via_file", bytes([0xC0 | 30]) + lines.replace(b"\n", b"\r\n"))
write("number_list", "one_line_tabs", bytes([6]) + b"1\t22\t333\t4444\t55555\t666666\n")
write("number_list", "too_few", bytes([0xC0 | 30]) + lines[: lines.rfind(b"\n", 0, len(lines) - 1) + 1])
write("number_list", "wraps_to_32_bits", bytes([2]) + b"4294967296 99999999999999999999\n")
write("number_list", "signs_and_points", bytes([3]) + b"-1 +2 3.5\n")

# ---- line streams for the frame assembler -------------------------------------
# Byte 0: bit 0 paced line. Steps: 0x80|ms waits and takes; n (<64) feeds n
# bytes; 0x40|n feeds n bytes after a wait of the next byte in milliseconds.
def feed(data, wait_ms=None):
    out = b""
    while data:
        piece, data = data[:63], data[63:]
        if wait_ms is None:
            out += bytes([len(piece)]) + piece
        else:
            out += bytes([0x40 | len(piece), wait_ms]) + piece
            wait_ms = None
    return out


def take(ms):
    return bytes([0x80 | ms])


echo = command_frame(5)
write_ram = command_frame(1, 0, [0x55, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14])
write("frame_assembler", "two_frames", b"\0" + feed(echo + write_ram) + take(1))
write("frame_assembler", "paced_in_pieces", b"\1" + feed(echo[:10]) + take(5) + feed(echo[10:]) + take(20))
write("frame_assembler", "garbage_then_frame", b"\0" + feed(b"\x13\x00\x55\xff\x00") + feed(echo) + take(0))
write("frame_assembler", "partial_expires",
      b"\0" + feed(echo[:20]) + take(127) + take(127) + feed(command_frame(2), 1) + take(1))
write("frame_assembler", "false_sync_in_garbage",
      b"\0" + feed(b"\x00\x55\x00\x00\x01" + b"\x00\x55" + b"\x00\x00" * 20) + feed(command_frame(11)) + take(2))

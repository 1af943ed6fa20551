#!/bin/bash
# backcg and lzss refusing bad inputs and command lines: one table, each row
# a command that must exit with its status (2 for a wrong command line, 1
# for anything else) and say what was wrong, never abort, and leave the
# output it was given (an old file) as it was, with nothing beside it.
#   tool_inputs_test.sh BACKCG LZSS RESOURCES_DIR
set -u
backcg=$1 lzss=$2 resources=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1  # where a tool that takes "-" for a name would leave its file
. "$here/cli_expect.sh"

# The inputs, made here.
resource="$resources/Q3/backcg.bin"
seq 1 20000 >"$work/text"
"$lzss" compress "$work/text" "$work/text.lz" || fail "compress"
size=$(stat -c %s "$work/text")
printf '\200\005\000' >"$work/before-start.lz"  # a reference 5 back, at the start
printf '\000' >"$work/one.lz"
head -c 1000 "$resource" >"$work/cut.bin"
: >"$work/empty.bin"
printf 'not a picture' >"$work/text.png"
convert -size 6x4 xc:red "PNG8:$work/six.png"
mkdir "$work/folder"
# PNGs made byte by byte.
/usr/bin/python3 - "$work" <<'PYTHON'
import struct, sys, zlib
def chunk(kind, data, crc=None):
    crc = zlib.crc32(kind + data) if crc is None else crc
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc)
def png(name, size, depth, colour, chunks, rows, after=b""):
    header = chunk(b"IHDR", struct.pack(">IIBBBBB", *size, depth, colour, 0, 0, 0))
    body = chunks + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b"")
    open(sys.argv[1] + "/" + name, "wb").write(b"\x89PNG\r\n\x1a\n" + header + body + after)
huge, two, padding = (65532, 65535), chunk(b"PLTE", b"\0\0\0\xff\xff\xff"), b"\0" * 530000
# Some hundred bytes whose header claims 65532 x 65535 pixels; and the same
# claim at 1 bit a pixel, the file made as large as those bits would need
# to be compressed, by a private chunk or by bytes after its end.
png("claims.png", huge, 8, 3, two, b"\0" * 65533 * 8)
png("private.png", huge, 1, 3, two + chunk(b"prVt", padding), b"\0" * 65533 * 8)
png("padded.png", huge, 1, 3, two, b"\0" * 65533 * 8, padding)
# 8 x 1 pixels that a picture resource cannot keep at 3, 0: one not opaque,
# by its alpha or by its palette's, one whose colour 5 lies past its palette
# of 2; and one with a comment whose checksum is wrong, which libpng warns of.
png("alpha.png", (8, 1), 8, 6, b"", b"\0" + b"\0\0\0\xff" * 3 + b"\0\0\0\x80" + b"\0\0\0\xff" * 4)
png("clear.png", (8, 1), 8, 3, two + chunk(b"tRNS", b"\xff\x00"), b"\0\0\0\0\1\0\0\0\0")
png("beyond.png", (8, 1), 8, 3, two, b"\0\0\0\0\5\0\0\0\0")
png("checksum.png", (8, 1), 8, 3, two + chunk(b"tEXt", b"Comment\0a picture", 0), b"\0" * 9)
# 16 bits a sample: alpha one level short of opaque at 3, 0; and four opaque
# greys, of which cutting the low byte would make 0 and 255, not 1 and 254.
opaque = b"\0\0" * 3 + b"\xff\xff"
png("deep.png", (8, 1), 16, 6, b"", b"\0" + opaque * 3 + b"\0\0" * 3 + b"\xff\xfe" + opaque * 4)
png("greys.png", (4, 1), 16, 0, b"", b"\0" + b"\x00\xff\xff\x00\x80\x80\xff\xff")
PYTHON

# Limits a real machine may have: little memory, a file-size limit; and
# memory for the largest input the tools read (1 GiB) and the half as much
# it grew from, with some 100 MB to spare.
little_memory() { (ulimit -v 400000 && exec "$@"); }
memory_for_largest_input() { (ulimit -v 1700000 && exec "$@"); }
file_size_limit() { (ulimit -f 16 && exec "$@"); }

out="$work/outputs/old"
mkdir "$work/outputs"
# STATUS | message | command ($out holds an old output; both may use the
# variables above)
while IFS='|' read -r -u 3 status pattern command; do
    [[ -z $status || $status == '#'* ]] && continue
    printf 'old output\n' >"$out"
    eval "pattern=\"$pattern\""
    expect "$status" "$pattern" eval "$command"
    [ "$(ls -A "$work/outputs")" = old ] && [ "$(cat "$out")" = "old output" ] ||
        fail "$command did not leave the old output alone: $(ls -A "$work/outputs")"
done 3<<'ROWS'
# Inputs that cannot be read whole: a message, never an abort.
1|is a folder, not a file|$backcg decode "$work/folder" "$out"
1|is a folder, not a file|$backcg info "$work/folder"
1|is a folder, not a file|$lzss compress "$work/folder" "$out"
1|is a folder, not a file|$lzss decompress "$work/folder" "$out" --size 10
1|is a device, not a file|$lzss compress /dev/zero "$out"
1|is a device, not a file|$backcg encode /dev/zero "$out"
1|No such file or directory|$backcg info "$work/missing.bin"
1|No such file or directory|$lzss compress "$work/missing" "$out"
# Memory for what the input can really hold, no more.
1|claims 65532 x 65535 pixels|little_memory $backcg encode "$work/claims.png" "$out"
1|claims 65532 x 65535 pixels|little_memory $backcg encode "$work/private.png" "$out"
1|claims 65532 x 65535 pixels|little_memory $backcg encode "$work/padded.png" "$out"
1|decodes to at most 0 bytes, not 4294967296|little_memory $lzss decompress "$work/one.lz" "$out" --size 4294967296
1|decodes to more than 10 bytes|head -c 100 /dev/zero | $lzss decompress - "$out" --size 10
1|holds more than the 1,073,741,824 bytes|cat /dev/zero | memory_for_largest_input $lzss compress - "$out"
# A failed write keeps the old output.
1|File too large|file_size_limit $backcg decode "$resource" "$out"
1|File too large|file_size_limit $lzss compress "$work/text" "$out"
1|No such file or directory|$lzss compress "$work/text" "$work/no/such/folder/x"
1|standard output: No space left on device|$backcg info "$resource" >/dev/full
# Inputs that are not what they should be.
1|not a PNG|$backcg encode "$work/text.png" "$out"
1|multiple of 4|$backcg encode "$work/six.png" "$out"
# A picture kept as the file has it, or refused: a picture resource has no
# transparency, and no colour the palette does not give. libpng's warnings
# are shown.
1|the pixel at 3, 0 is not opaque|$backcg encode "$work/alpha.png" "$out"
1|the pixel at 3, 0 is not opaque|$backcg encode "$work/clear.png" "$out"
1|the pixel at 3, 0 is colour 5|$backcg encode "$work/beyond.png" "$out"
1|the pixel at 3, 0 is not opaque (alpha 65534 of 65535)|$backcg encode "$work/deep.png" "$out"
0|tEXt: CRC error|$backcg encode "$work/checksum.png" "$work/checksum.bin"
1|malformed at offset 998: the stream runs past|$backcg decode "$work/cut.bin" "$out"
1|malformed at offset 0: too short|$backcg info "$work/empty.bin"
1|decodes to more than 100 bytes|$lzss decompress "$work/text.lz" "$out" --size 100
1|decodes to $size bytes, not $((size + 1))|$lzss decompress "$work/text.lz" "$out" --size $((size + 1))
1|reaches before the start|$lzss decompress "$work/before-start.lz" "$out" --size 10
# Wrong command lines: what was wrong, and status 2.
2|decompress needs --size|$lzss decompress "$work/text.lz" "$out"
2|--size wants a byte count|$lzss decompress "$work/text.lz" "$out" --size -5
2|--size wants a byte count|$lzss decompress "$work/text.lz" "$out" --size=12abc
2|--size wants a value|$lzss decompress "$work/text.lz" "$out" --size
2|--chunk wants a count from 1|$lzss decompress "$work/text.lz" "$out" --size "$size" --chunk 0
2|compress takes no --size|$lzss compress "$work/text" "$out" --size 5
2|unknown option --frobnicate|$lzss compress --frobnicate "$work/text" "$out"
2|unknown option -x|$backcg info -x "$resource"
2|unknown command frobnicate|$lzss frobnicate
2|unknown command frobnicate|$backcg frobnicate
2|decode wants an input and an output|$backcg decode "$resource"
2|info wants one input|$backcg info "$resource" "$out"
ROWS
grep -q "well formed: no" <("$backcg" info "$work/cut.bin" 2>/dev/null) ||
    fail "info does not say the cut resource is malformed"
"$backcg" encode "$work/greys.png" "$work/greys.bin" && "$backcg" decode "$work/greys.bin" "$work/greys-back.png" &&
    [ "$(convert "$work/greys-back.png" -depth 8 gray:- | od -An -tu1 | xargs)" = "1 254 128 255" ] ||
    fail "16-bit greys are not scaled to the nearest 8-bit levels"

finish "backcg and lzss inputs"

# What the test discs hold and how they are pressed, for every script that
# makes one (the test discs, the demo, the disc tool's and the build's
# tests): the same bytes every time. Sourced.
#
#   disc_folder PROGRAMS PRODUCT DIR   makes DIR the product's disc: its
#                      launcher and VGX.EXE from PROGRAMS, and data as a
#                      game's would be
#   press_disc MKDISC DIR OUT [OPTION...]   presses DIR into OUT, dated as
#                      every test disc

disc_folder() {
    local programs=$1 product=$2 dir=$3 bytes long
    rm -rf "$dir"
    mkdir -p "$dir/SAVE"
    cp "$programs/$product.EXE" "$programs/VGX.EXE" "$dir/"
    : >"$dir/EMPTY.DAT"
    # A Shift-JIS name whose second byte is a backslash.
    printf 'Shift-JIS name\r\n' >"$dir/表示.DAT"
    # 3 chunks and a bit: the copy's 65,536-byte steps, and a short last one.
    seq 1 40000 | head -c 200000 >"$dir/MOVIE.DAT"
    printf 'VARNO demo disc\r\n' >"$dir/README.TXT"
    # A folder the install leaves.
    printf 'not copied\r\n' >"$dir/SAVE/SLOT1.DAT"
    # The longest name the proposed install directory takes: there its full
    # path, C:\Program Files\Tovak\<product>\ and the name, is 127 bytes in
    # code page 932, one inside what OpenFile opens.
    bytes=$((127 - 24 - ${#product}))
    long=$(printf 'ア%.0s' $(seq $(((bytes - 4) / 2))))
    [ $((bytes % 2)) = 1 ] && long="${long}X"
    printf 'the longest name\r\n' >"$dir/$long.DAT"
}

press_disc() {
    local mkdisc=$1 dir=$2 out=$3
    shift 3
    "$mkdisc" --date 1998-12-08 "$@" "$dir" "$out"
}

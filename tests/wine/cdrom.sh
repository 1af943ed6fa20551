# Shows a disc image to Wine as CD-ROM drive D:, as a player's drive is:
# mounted read-only with fuseiso (no loop device needed), drive type cdrom,
# so that GetDriveTypeA says DRIVE_CDROM, writes fail and no cluster is free.
# Sourced by the scripts that start Wine.
#
#   mount_cdrom IMAGE PREFIX   before the prefix's first process (the drive
#                              type is read when its server starts); false,
#                              with the reason on stderr, where FUSE is missing
#   unmount_cdrom PREFIX

mount_cdrom() {
    local image=$1 prefix=$2
    command -v fuseiso >/dev/null || { echo "cdrom: fuseiso is not installed" >&2; return 1; }
    mkdir -p "$prefix/cdrom"
    if ! fuseiso "$image" "$prefix/cdrom" 2>/dev/null; then
        echo "cdrom: fuseiso cannot mount $image here (no FUSE?)" >&2
        rmdir "$prefix/cdrom"
        return 1
    fi
    ln -sfn "$prefix/cdrom" "$prefix/dosdevices/d:"
    printf '\n[Software\\\\Wine\\\\Drives] 0\n"d:"="cdrom"\n' >>"$prefix/system.reg"
}

unmount_cdrom() {
    [ -d "$1/cdrom" ] && mountpoint -q "$1/cdrom" && fusermount -u "$1/cdrom"
}

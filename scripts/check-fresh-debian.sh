#!/usr/bin/env bash
# Runs the README's two commands in a minimal Debian 12 root with nothing installed by hand, so
# a package that only this machine has cannot hide behind a green run here.
# Usage: scripts/check-fresh-debian.sh [--setup-only] [ROOT_DIR]
#   --setup-only  installs what the commands install and runs the formatting check, instead of
#                 every build and test (the full run takes as long as scripts/test.sh twice)
#   ROOT_DIR      where the root is made (default: a new temporary folder, removed at the end)
# Needs root (debootstrap, chroot, mounts) and Debian's package mirror.
set -euo pipefail
cd "$(dirname "$0")/.."

setup_only=false
if [ "${1:-}" = "--setup-only" ]; then
    setup_only=true
    shift
fi
root=${1:-}
keep=true
if [ -z "$root" ]; then
    root=$(mktemp -d /tmp/motifora-fresh.XXXXXX)
    keep=false
fi

if ! command -v debootstrap >/dev/null; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap
fi

mounted=()
cleanup() {
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[$i]}" 2>/dev/null || true; done
    if ! $keep; then rm -rf --one-file-system "$root"; fi
}
trap cleanup EXIT

if [ ! -x "$root/bin/bash" ]; then
    echo "=== debootstrap --variant=minbase bookworm into $root ==="
    debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian >"$root.log" 2>&1 ||
        { tail -20 "$root.log"; exit 1; }
fi
# The tests need /proc, a /dev with the usual nodes and a /dev/shm; they make their own FIFOs
# and nodes inside temporary folders of the root.
for fs in proc sys dev dev/pts; do
    mkdir -p "$root/$fs"
    mount --bind "/$fs" "$root/$fs"
    mounted+=("$root/$fs")
done
cp /etc/resolv.conf "$root/etc/resolv.conf"

# A user's clone: git is how a user gets the tree, so it is the one package installed first.
chroot "$root" /usr/bin/env DEBIAN_FRONTEND=noninteractive bash -c \
    'apt-get update -qq && apt-get install -y -qq git ca-certificates >/dev/null'
rm -rf "$root/work/motifora"
mkdir -p "$root/work"
git clone -q "file://$PWD" "$root/work/motifora"

run_in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        LANG=C.UTF-8 bash -c "cd /work/motifora && $1"
}

status=0
if $setup_only; then
    echo "=== scripts/setup.sh --no-build and the formatting check in the fresh root ==="
    run_in_root 'scripts/setup.sh --no-build' || status=1
    run_in_root 'git ls-files -z "*.cpp" "*.h" | xargs -0 clang-format-14 --dry-run -Werror' ||
        status=1
else
    echo "=== scripts/run.sh (no display) in the fresh root ==="
    run_in_root 'scripts/run.sh' || status=1
    echo "=== scripts/test.sh in the fresh root ==="
    run_in_root 'scripts/test.sh' || status=1
fi
if [ $status -eq 0 ]; then
    echo "fresh Debian 12: passed"
else
    echo "fresh Debian 12: FAILED"
fi
exit $status

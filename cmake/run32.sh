#!/usr/bin/env bash
# Runs a 32-bit x86 Linux program: directly where the kernel runs 32-bit
# code, else under qemu-i386 (user-mode emulation, which needs no kernel
# support); exit 77 (skipped) where neither can.
#   run32.sh PROGRAM [args]
set -uo pipefail
program=${1:?usage: run32.sh PROGRAM [args]}
# Where binfmt_misc hands 32-bit programs to qemu, the direct run below is
# emulated too; QEMU_CPU asks for the same processor model as the qemu-i386
# branch there (a real processor ignores it).
export QEMU_CPU=${QEMU_CPU:-max}
# doctest's --no-run starts the program and leaves at once.
if "$program" --no-run >/dev/null 2>&1; then
    exec "$@"
fi
if command -v qemu-i386 >/dev/null; then
    # -cpu max: SSE2 and AVX2, so both of those paths run.
    exec qemu-i386 -cpu max "$@"
fi
echo "skipped: this machine runs no 32-bit code and has no qemu-i386 (Debian's qemu-user)" >&2
exit 77

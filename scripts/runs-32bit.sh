#!/bin/sh
# Exits 0 when this kernel runs 32-bit x86 programs (and so Wine's 32-bit loader).
# Some virtual machines boot with ia32 emulation off; Wine then runs only 64-bit code.
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
printf '.globl _start\n_start: mov $1, %%eax\n xor %%ebx, %%ebx\n int $0x80\n' >"$dir/t.s"
as --32 -o "$dir/t.o" "$dir/t.s" 2>/dev/null && ld -m elf_i386 -o "$dir/t" "$dir/t.o" 2>/dev/null &&
    "$dir/t" 2>/dev/null

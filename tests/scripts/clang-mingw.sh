# clang for Windows targets on Debian: clang brings no Windows headers or C++
# library of its own, so it borrows those of a mingw-w64 g++. The same
# headers serve 32-bit ARM, which shares the 32-bit x86 data model.
# shellcheck shell=bash

CLANGXX=${CLANGXX:-clang++}

# clang_mingw_includes GXX: the options that give clang the C++ library and
# Windows headers of GXX, and none of GCC's own compiler headers (clang has
# its own stddef.h, intrinsics and the like).
clang_mingw_includes() {
  local gxx=$1 dir found=0
  command -v "$gxx" >/dev/null || { echo "$gxx not found" >&2; return 1; }
  printf '%s\n' -nostdinc++ -nostdlibinc
  while read -r dir; do
    dir=$(realpath -m "$dir")
    case "$dir" in
      */lib/gcc/*/include | */lib/gcc/*/include-fixed) continue ;;
    esac
    printf '%s\n' -isystem "$dir"
    found=1
  done < <("$gxx" -x c++ -E -v - </dev/null 2>&1 >/dev/null |
             sed -n '/^#include <\.\.\.> search starts here:/,/^End of search list\./p' |
             sed '1d;$d')
  [ "$found" -eq 1 ] || { echo "no include directories reported by $gxx" >&2; return 1; }
}

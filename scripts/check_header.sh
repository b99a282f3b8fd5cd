#!/usr/bin/env bash
# Checks that include/RvStatement.h serves C and C++ hosts: it must compile alone, warning-free
# under -Wall -Wextra -pedantic, as C89, C99 and C11 and as C++11 and C++20, with the Linux
# compilers and with mingw-w64 when it is installed, and declare every export of the .def file,
# each right after a comment of its own.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Uses every export, so a missing or misspelt declaration fails the compile.
{
    echo '#include "RvStatement.h"'
    echo 'typedef void (*AnyFunction)(void);'
    echo 'AnyFunction exports[] = {'
    awk '/^[[:space:]]*;/ || NF == 0 { next } toupper($1) == "EXPORTS" { on = 1; next }
         on { print "    (AnyFunction)" $1 "," }' "$root/src/RvStatement.def"
    echo '    0};'
    echo 'int main(void) { return exports[0] != 0 ? 0 : 1; }'
} >"$work/use.c"
cp "$work/use.c" "$work/use.cpp"

flags=(-Wall -Wextra -pedantic -Werror -I"$root/include")
status=0
check() {  # compiler, standard, source
    if "$1" "-std=$2" "${flags[@]}" -c "$3" -o "$work/out.o" 2>"$work/log"; then
        echo "  ok    $1 -std=$2"
    else
        echo "  FAIL  $1 -std=$2"; sed 's/^/        /' "$work/log"; status=1
    fi
}

echo "check_header: $root/include/RvStatement.h"
for cc in gcc x86_64-w64-mingw32-gcc-posix; do
    command -v "$cc" >/dev/null || { echo "  skip  $cc (not installed)"; continue; }
    for std in c89 c99 c11; do check "$cc" "$std" "$work/use.c"; done
done
for cxx in g++ x86_64-w64-mingw32-g++-posix; do
    command -v "$cxx" >/dev/null || { echo "  skip  $cxx (not installed)"; continue; }
    for std in c++11 c++20; do check "$cxx" "$std" "$work/use.cpp"; done
done
# A declaration's comment ends on the line before it; one comment serves one export.
undocumented=$(awk '
    /RVSTATEMENT_CALL [A-Za-z0-9_]+\(/ {
        name = $0; sub(/\(.*/, "", name); sub(/.* /, "", name)
        if (previous !~ /\*\/[[:space:]]*$/) print name
    }
    { previous = $0 }
' "$root/include/RvStatement.h")
if [[ -n $undocumented ]]; then
    echo "  FAIL  exports without their own comment:"; sed 's/^/        /' <<<"$undocumented"; status=1
else
    echo "  ok    every export has its comment"
fi
if [[ $status -eq 0 ]]; then echo "check_header: PASS"; else echo "check_header: FAIL"; fi
exit $status

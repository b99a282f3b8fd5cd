#!/usr/bin/env bash
# Checks that a built RvStatement library exports exactly the names in src/RvStatement.def,
# undecorated and nothing more. Takes libRvStatement.so (nm -D) or RvStatement.dll (objdump -p).
set -euo pipefail

lib=${1:?usage: check_exports.sh path/to/libRvStatement.so|RvStatement.dll}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
def=${RVS_DEF:-$root/src/RvStatement.def}
[[ -f $lib ]] || { echo "check_exports: no such file: $lib" >&2; exit 2; }

# Names after EXPORTS, without ordinals, aliases or comments.
expected=$(awk '
    /^[[:space:]]*;/ || NF == 0 { next }
    toupper($1) == "EXPORTS" { inside = 1; next }
    toupper($1) == "LIBRARY" { next }
    inside { name = $1; sub(/[@=].*/, "", name); print name }
' "$def" | LC_ALL=C sort)

case $lib in
    *.dll | *.DLL)
        actual=$(x86_64-w64-mingw32-objdump -p "$lib" | awk '
            /^\[Ordinal\/Name Pointer\] Table/ { inside = 1; next }
            inside && NF == 0 { inside = 0 }
            inside { print $NF }
        ' | LC_ALL=C sort)
        ;;
    *)
        actual=$(nm -D --defined-only "$lib" | awk 'NF == 3 { print $3 }' | LC_ALL=C sort)
        ;;
esac

echo "check_exports: $lib"
echo "  expected $(wc -w <<<"$expected") names from $def"
echo "  found    $(wc -w <<<"$actual") exported names"
status=0
missing=$(LC_ALL=C comm -23 <(echo "$expected") <(echo "$actual") | sed '/^$/d')
extra=$(LC_ALL=C comm -13 <(echo "$expected") <(echo "$actual") | sed '/^$/d')
if [[ -n $missing ]]; then
    echo "  MISSING exports:"; sed 's/^/    /' <<<"$missing"; status=1
fi
if [[ -n $extra ]]; then
    echo "  EXTRA exports:"; sed 's/^/    /' <<<"$extra"; status=1
fi
if [[ -z $actual ]]; then
    echo "  no exports found at all"; status=1
fi
[[ $status -eq 0 ]] && echo "  exports match the .def file"
exit $status

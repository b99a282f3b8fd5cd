#!/usr/bin/env bash
# Checks RvStatement.dll as hosts load it: exactly the .def exports, only Windows system DLLs
# imported (the MinGW runtime is linked in), and from the spooler only the functions the
# library is meant to call.
set -euo pipefail

dll=${1:?usage: check_dll.sh path/to/RvStatement.dll}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[[ -f $dll ]] || { echo "check_dll: no such file: $dll" >&2; exit 2; }

status=0
"$here/check_exports.sh" "$dll" || status=1

allowed_spooler="OpenPrinterW ClosePrinter GetPrinterDataW SetPrinterDataW DocumentPropertiesW
GetPrinterW SetPrinterW DeviceCapabilitiesW AddFormW SetFormW"

# "DLL<TAB>function" for every import, from the import tables objdump prints.
imports=$(x86_64-w64-mingw32-objdump -p "$dll" | awk '
    /^[[:space:]]*DLL Name: / { dll = $3; print dll "\t"; next }
    /^[[:space:]]*$/ { next }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print dll "\t" $3 }
    /^There is an export table/ { dll = "" }
')

echo "check_dll: imports of $dll"
while IFS= read -r name; do
    lower=${name,,}
    case $lower in
        kernel32.dll | winspool.drv | msvcrt.dll | api-ms-win-crt-*.dll)
            echo "  ok      $name ($(awk -F'\t' -v d="$name" '$1 == d && $2 != "" { n++ } END { print n + 0 }' <<<"$imports") functions)" ;;
        *)
            echo "  NOT ALLOWED  $name"; status=1 ;;
    esac
done < <(cut -f1 <<<"$imports" | awk 'NF' | sort -u)

spooler_calls=$(awk -F'\t' 'tolower($1) == "winspool.drv" && $2 != "" { print $2 }' <<<"$imports" | sort -u)
echo "check_dll: spooler functions imported"
for fn in $spooler_calls; do
    if grep -qw -- "$fn" <<<"$allowed_spooler"; then
        echo "  ok      $fn"
    else
        echo "  NOT ALLOWED  $fn"; status=1
    fi
done
if [[ -z $spooler_calls ]]; then
    echo "  none (expected at least OpenPrinterW)"; status=1
fi

if [[ $status -eq 0 ]]; then echo "check_dll: PASS"; else echo "check_dll: FAIL"; fi
exit $status

#!/bin/sh
# Checks a built plug-in DLL: it must export exactly one name, main, and
# import nothing but system libraries (no MinGW runtime DLLs).
# Usage: check-dll-exports.sh <dll> [objdump]
set -u
dll=${1:?usage: check-dll-exports.sh <dll> [objdump]}
objdump=${2:-objdump}

if ! dump=$("$objdump" -p "$dll" 2>&1); then
    echo "cannot read $dll: $dump"
    exit 1
fi

status=0

# Export names: the lines of the name pointer table, "[   0] main".
exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*//p')
if [ "$exports" != "main" ]; then
    echo "exports are not exactly 'main':"
    printf '%s\n' "${exports:-<none>}" | sed 's/^/  /'
    status=1
fi

imports=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p')
if [ -z "$imports" ]; then
    echo "no import table found"
    status=1
fi
for name in $imports; do
    lower=$(printf '%s' "$name" | tr 'A-Z' 'a-z')
    case "$lower" in
        kernel32.dll | user32.dll | gdi32.dll | msvcrt.dll | ucrtbase.dll | api-ms-win-*.dll) ;;
        *)
            echo "imports a non-system library: $name"
            status=1
            ;;
    esac
done

if [ $status -eq 0 ]; then
    echo "$dll: exports main only; imports $(echo $imports | tr '\n' ' ')"
fi
exit $status

#!/usr/bin/env bash
# Checks a Windows binary without running it: its export table holds exactly the
# given plain names (none decorated), and it imports system DLLs only.
# usage: inspect_binary.sh OBJDUMP FILE [EXPORT...]
set -u
objdump=$1 file=$2
shift 2
dump=$("$objdump" -p "$file") || { echo "cannot read $file"; exit 1; }
status=0
if (($#)); then
  expected=$(printf '%s\n' "$@" | sort | tr '\n' ' ')
  actual=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    grep -E '^\s*\[ *[0-9]+\]' | awk '{print $NF}' | sort | tr '\n' ' ')
  if [ "$expected" != "$actual" ]; then
    echo "exports of $file: expected [$expected], found [$actual]"
    status=1
  fi
fi
allowed=" kernel32.dll user32.dll msvcrt.dll "
for dll in $(printf '%s\n' "$dump" | awk '/DLL Name:/ {print tolower($3)}'); do
  case "$allowed" in
    *" $dll "*) ;;
    *) echo "$file imports $dll, which is not a system DLL"; status=1 ;;
  esac
done
[ $status = 0 ] && echo "$file: exports and imports as expected"
exit $status

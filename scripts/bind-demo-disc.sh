#!/usr/bin/env bash
# Makes the demo disc (a small DVD-Video with menus, generated) and binds it as a virtual drive
# in the user's drives file, at the first letter the file leaves free, unless it is bound already.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${KAVORO_BUILD_DIR:-$root/build}"
demo="$build/demo"
bash "$root/tools/make-fixtures/make-dvd.sh" "$demo" >/dev/null

config="${XDG_CONFIG_HOME:-$HOME/.config}/kavoro"
drives="$config/drives.ini"
mkdir -p "$config"
disc="$demo/DVD.iso"
if [ -f "$drives" ] && grep -qF "=$disc" "$drives"; then
  exit 0
fi
used=$( [ -f "$drives" ] && grep -oiE '^[[:space:]]*[d-z][[:space:]]*=' "$drives" | tr -d ' =\t' | tr a-z A-Z || true)
for letter in E F G H I J K L M N O P Q R S T U V W X Y Z D; do
  if ! grep -qx "$letter" <<<"$used"; then
    if [ ! -f "$drives" ] || ! grep -qi '^\[Drives\]' "$drives"; then
      printf '[Drives]\n' >> "$drives"
    fi
    # The binding goes right below the section header, so that it lands inside [Drives].
    tmp="$(mktemp "$config/drives.XXXXXX")"
    awk -v line="$letter=$disc" '{ print } /^\[[Dd][Rr][Ii][Vv][Ee][Ss]\][[:space:]]*$/ && !done { print line; done=1 }' "$drives" > "$tmp"
    mv "$tmp" "$drives"
    echo "Demo disc bound as $letter: ($disc)"
    exit 0
  fi
done
echo "No free drive letter for the demo disc" >&2

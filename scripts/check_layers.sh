#!/usr/bin/env bash
# Keeps the layers of src/ apart. Fails when
#   - two folders include each other (folder A has '#include "B/..."' and B has '#include "A/..."'), or
#   - a file of the Qt-free core includes a Qt header (<Q...>): everything in records/, draw/, settings/, winners/, console/, rehearsal/ and install/,
#     and the files of platform/ that kelvora_core builds (the Qt and X11 implementations are named for
#     kelvora_ui or kelvora_media in platform/CMakeLists.txt and are left out, with their headers).
#   - a file of sheets/ or standby/ includes more of Qt than Qt Core, or a header of it that others include
#     names Qt.
# A "ui" sub-folder (settings/ui/, screen/ui/...) is a layer of its own: it holds widgets and may use Qt.
# Prints the include edges between folders, then every violation with the lines that cause it.
set -euo pipefail
cd "$(dirname "$0")/.."

layer_of() { # src/settings/ui/x.cpp -> settings/ui; src/draw/x.h -> draw; also "settings/ui/x.h" as included
    local path="${1#src/}"
    local first="${path%%/*}" rest="${path#*/}"
    if [[ "$rest" == ui/* ]]; then echo "$first/ui"; else echo "$first"; fi
}

edges="$(mktemp)"
trap 'rm -f "$edges"' EXIT
while IFS= read -r file; do
    from="$(layer_of "$file")"
    while IFS= read -r line; do
        target="$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"${line#*:}")"
        [[ "$target" == */* ]] || continue # a file of the same folder, by its bare name
        [ -d "src/${target%%/*}" ] || continue # a generated or third-party header
        to="$(layer_of "$target")"
        [ "$from" != "$to" ] && printf '%s %s %s:%s\n' "$from" "$to" "$file" "${line%%:*}" >>"$edges"
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done < <(find src -type f \( -name '*.h' -o -name '*.cpp' \) | sort)

status=0
echo "== include edges between folders of src/"
cut -d' ' -f1,2 "$edges" | sort | uniq -c | awk '{printf "   %-14s -> %-14s (%d includes)\n", $2, $3, $1}'

echo "== folders that include each other"
found=0
while read -r a b; do
    [[ "$a" < "$b" ]] || continue
    if grep -q "^$b $a " "$edges"; then
        found=1
        echo "   $a <-> $b"
        grep -E "^($a $b|$b $a) " "$edges" | awk '{print "      " $3}'
    fi
done < <(cut -d' ' -f1,2 "$edges" | sort -u)
if [ "$found" -eq 0 ]; then echo "   none"; else status=1; fi

# platform/: the sources built into kelvora_ui or kelvora_media, by stem; their headers go with them.
qt_side_stems="$(sed -nE 's/^[[:space:]]*target_sources\((kelvora_ui|kelvora_media)[[:space:]]+PRIVATE(.*)\)/\2/p' \
    src/platform/CMakeLists.txt | tr ' ' '\n' | sed -nE 's/\.cpp$//p')"
echo "== Qt headers in the Qt-free core (records/, draw/, settings/, winners/, console/, rehearsal/, install/, platform/ but for:$(
    tr '\n' ' ' <<<" $qt_side_stems" | sed 's/ *$//'))"
found=0
while IFS= read -r file; do
    case "$(layer_of "$file")" in
    records | draw | settings | winners | console | rehearsal | install) ;;
    platform)
        stem="$(basename "${file%.*}")"
        grep -qxF "$stem" <<<"$qt_side_stems" && continue
        ;;
    *) continue ;;
    esac
    if hits="$(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$file")"; then
        found=1
        while IFS= read -r hit; do echo "   $file:$hit"; done <<<"$hits"
    fi
done < <(find src -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
if [ "$found" -eq 0 ]; then echo "   none"; else status=1; fi

# sheets/ and standby/ read and write zip and XML through Qt Core, and nothing more: no pictures, no widgets,
# and no Qt in the headers the rest of the program includes.
for zip_layer in sheets standby; do
    echo "== $zip_layer/: Qt Core in its sources only"
    found=0
    while IFS= read -r file; do
        [ "$(layer_of "$file")" = "$zip_layer" ] || continue
        pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q(t?Gui|t?Widgets|Image|Painter|Widget|Font)'
        # A header that the rest of the program includes speaks std:: only; the two layers' own may name Qt
        # Core (the package writes its zip through the sheets' zip output file).
        if [[ "$file" == *.h ]] && grep -rqF --include='*.h' --include='*.cpp' --exclude-dir=sheets \
            --exclude-dir=standby \
            "\"${file#src/}\"" src tools; then
            pattern='^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q'
        fi
        if hits="$(grep -nE "$pattern" "$file")"; then
            found=1
            while IFS= read -r hit; do echo "   $file:$hit"; done <<<"$hits"
        fi
    done < <(find "src/$zip_layer" -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
    if [ "$found" -eq 0 ]; then echo "   none"; else status=1; fi
done

if [ "$status" -ne 0 ]; then
    echo "check_layers: FAILED"
else
    echo "check_layers: ok"
fi
exit "$status"

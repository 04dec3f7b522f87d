#!/usr/bin/env bash
# Checks that the folders depend on each other only as their READMEs say. Each code folder's
# README.md has one line
#     Depends on: <folder>, <folder>, Qt
# (or "Depends on: none"); the standard library and POSIX are always allowed. Each folder under
# app/ and tools/ is a folder of its own with its own line. Fails when
#   - a source file includes a header of a folder its line does not name, or a Qt header without Qt,
#   - a CMake file links a library of such a folder, or a Qt module without Qt,
#   - the lines themselves form a cycle, or a Qt-free folder reaches Qt, directly or through what
#     it depends on.
# Reads the tracked files only; needs no build.
#   bash scripts/check-deps.sh [source dir]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

# Folders whose code is checked; tests/ may use anything (bench/ names it for its stand-ins).
top_units=(control controlpipe serial scoreboard resources toolkit windows bench)
# Qt-free by design.
qt_free=(control controlpipe serial scoreboard app/settings app/timing app/runstate app/driverboard)
errors=0
fail() {
    echo "check-deps: $*" >&2
    errors=$((errors + 1))
}

sub_units=()
for dir in app/*/ tools/*/; do
    [ -d "$dir" ] && sub_units+=("${dir%/}")
done
units=("${top_units[@]}" "${sub_units[@]}")

declare -A allowed
# The README line of a folder: its own, never its parent's.
read_line() {
    [ ! -f "$1/README.md" ] || grep -m1 '^Depends on: ' "$1/README.md" || true
}
for file in "${units[@]/%//README.md}"; do
    [ ! -f "$file" ] || [ "$(grep -c '^Depends on: ' "$file")" -le 1 ] ||
        fail "$file states 'Depends on:' more than once"
done
for unit in "${units[@]}"; do
    line=$(read_line "$unit")
    if [ -z "$line" ]; then
        fail "$unit/README.md has no 'Depends on: ...' line"
        allowed[$unit]=""
        continue
    fi
    list=${line#Depends on: }
    list=${list%.}
    words=" "
    for word in ${list//,/ }; do
        case "$word" in
        none) ;;
        Qt) words+="Qt " ;;
        *)
            if [ -d "$word" ]; then
                words+="$word "
            else
                fail "$unit: '$word' in '$line' is neither a code folder nor Qt"
            fi
            ;;
        esac
    done
    allowed[$unit]=$words
done

# The folder a tracked path belongs to, in UNIT; empty when it is not checked.
set_unit() {
    local path=$1 sub named top
    UNIT=""
    case "$path" in
    app/*/* | tools/*/*)
        sub=${path#*/}
        UNIT="${path%%/*}/${sub%%/*}"
        ;;
    tools/*.cmake)
        # A fragment in tools/ builds the subfolder whose sources it names.
        named=$(grep -o 'CMAKE_CURRENT_LIST_DIR}/[A-Za-z0-9_.-]*' "$path" | sed 's#.*}/##' | sort -u)
        if [ "$(echo "$named" | grep -c .)" = 1 ] && [ -d "tools/$named" ]; then
            UNIT="tools/$named"
        else
            fail "$path: cannot tell which tools/ folder it builds (name one under \${CMAKE_CURRENT_LIST_DIR}/)"
        fi
        ;;
    app/* | tools/*) ;;
    */*)
        top=${path%%/*}
        for sub in "${top_units[@]}"; do
            [ "$sub" = "$top" ] && UNIT=$top
        done
        ;;
    esac
    return 0
}

# What unit $1 may use, for the messages.
allows() {
    local list=${allowed[$1]# }
    list=${list% }
    echo "${list:-none}" | sed 's/ /, /g'
}

# May unit $1 use $2 (a folder or Qt)?
may_use() {
    [ "$1" = "$2" ] || [[ "${allowed[$1]}" == *" $2 "* ]]
}

# Includes: one grep over every tracked source file.
include_re='^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]'
while IFS= read -r hit; do
    file=${hit%%:*}
    [ "$file" = "${last_file:-}" ] || {
        set_unit "$file"
        last_file=$file
    }
    unit=$UNIT
    [ -n "$unit" ] || continue
    [[ "${hit#*:}" =~ [\<\"]([^\>\"]*)[\>\"] ]] || continue
    header=${BASH_REMATCH[1]}
    case "$header" in
    Q*)
        may_use "$unit" Qt ||
            fail "$file includes <$header>, a Qt header, but $unit allows only: $(allows "$unit")"
        ;;
    */*)
        top=${header%%/*}
        [ -d "$top" ] && [[ "$hit" == *\"* ]] || continue
        if [ "$top" = tools ] || [ "$top" = app ]; then
            sub=${header#*/}
            target="$top/${sub%%/*}"
        else
            target=$top
        fi
        may_use "$unit" "$target" ||
            fail "$file includes \"$header\", but $unit allows only: $(allows "$unit")"
        ;;
    esac
done < <(git ls-files -z -- '*.cpp' '*.h' | xargs -0 grep -HE "$include_re" || true)

# Libraries: which folder declares each target.
declare -A lib_unit
cmake_files=$(git ls-files -- '*CMakeLists.txt' '*.cmake' | grep -vE '^(tests|cmake)/|^CMakeLists.txt$' || true)
for file in $cmake_files; do
    set_unit "$file"
    unit=$UNIT
    [ -n "$unit" ] || continue
    for name in $(sed 's/#.*//' "$file" | tr '\n' ' ' |
        grep -oE '(add_library|add_executable)\([[:space:]]*[A-Za-z0-9_-]+' | sed 's/.*(\s*//'); do
        lib_unit[$name]=$unit
    done
done
for file in $cmake_files; do
    set_unit "$file"
    unit=$UNIT
    [ -n "$unit" ] || continue
    flat=$(sed 's/#.*//' "$file" | tr '\n' ' ')
    while IFS= read -r call; do
        [ -n "$call" ] || continue
        # The first word is the target being linked; the rest is what it links.
        for word in $(echo "$call" | sed 's/^target_link_libraries(\s*[^ )]*//; s/)$//'); do
            case "$word" in
            Qt6::* | Qt::*)
                may_use "$unit" Qt ||
                    fail "$file links $word, but $unit allows only: $(allows "$unit")"
                ;;
            *)
                target=${lib_unit[$word]:-}
                [ -n "$target" ] || continue
                may_use "$unit" "$target" ||
                    fail "$file links $word (from $target/), but $unit allows only: $(allows "$unit")"
                ;;
            esac
        done
    done < <(echo "$flat" | grep -oE 'target_link_libraries\([^)]*\)' || true)
    if echo "$flat" | grep -qE '(^|[^A-Za-z_])qt_[a-z_]+\('; then
        may_use "$unit" Qt || fail "$file calls a Qt CMake command, but $unit allows only: $(allows "$unit")"
    fi
done

# The lines themselves: no cycle, and nothing Qt below the toolkit, not even at one remove.
for unit in "${units[@]}"; do
    reach=" "
    todo=(${allowed[$unit]})
    while [ ${#todo[@]} -gt 0 ]; do
        next=${todo[0]}
        todo=("${todo[@]:1}")
        [[ "$reach" == *" $next "* ]] && continue
        reach+="$next "
        [ "$next" = Qt ] || todo+=(${allowed[$next]:-})
    done
    [[ "$reach" == *" $unit "* ]] && fail "$unit depends on itself through:$reach"
    for plain in "${qt_free[@]}"; do
        [ "$unit" = "$plain" ] && [[ "$reach" == *" Qt "* ]] &&
            fail "$unit must not reach Qt, but its line leads to:$reach"
    done
done

if [ "$errors" -gt 0 ]; then
    echo "check-deps: $errors problem(s)" >&2
    exit 1
fi
echo "check-deps: ${#units[@]} folders depend only on what their READMEs name; ${#qt_free[@]} folders are Qt-free"

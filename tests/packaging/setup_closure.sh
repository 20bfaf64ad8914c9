#!/bin/sh
# Every Qt module the build's CMake reads (the components CMakeLists.txt files ask for, and what
# their Qt6*Dependencies.cmake pull in, recursively) has its Qt6*Config.cmake owned by a package of
# scripts/setup.sh's list or of its dependency closure: the plain list for all but tests/, bench/
# and fuzz/, the --test list for all. Usage: setup_closure.sh SOURCE_DIR QT_CMAKE_DIR.
set -eu
src=$1 qt=$2
command -v dpkg >/dev/null && command -v apt-cache >/dev/null || { echo "not Debian: skipped"; exit 77; }

components() {  # the Qt components of the find_package(Qt6 ...) calls in the given files
    cat "$@" | tr '\n' ' ' | grep -o 'find_package( *Qt6[^)]*)' | sed 's/.*COMPONENTS//; s/)//' |
        tr ' ' '\n' | grep -E '^[A-Z][A-Za-z]+$' | grep -vxE 'REQUIRED|OPTIONAL_COMPONENTS' || true
}
modules() {  # Qt6 and the given modules, with their target and tool dependencies, recursively
    todo="Qt6 $(printf 'Qt6%s ' "$@")" seen=""
    while [ -n "$todo" ]; do
        set -- $todo; m=$1; shift; todo="$*"
        case " $seen " in *" $m "*) continue ;; esac
        seen="$seen $m"
        deps="$qt/$m/${m}Dependencies.cmake"
        [ -f "$deps" ] && todo="$todo $(grep -E '^set\(__qt_[A-Za-z]+_(target|tool)_deps ' "$deps" |
                                       grep -oE 'Qt6[A-Za-z]+' | tr '\n' ' ')"
    done
    echo $seen
}
failed=0
check() {  # LABEL SETUP_OPTION CMAKELISTS...
    label=$1 option=$2; shift 2
    closure=$(apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
        --no-replaces --no-enhances $("$src/scripts/setup.sh" $option --print) | grep -v '^ ' | tr -d '<>')
    for m in $(modules $(components "$@")); do
        owner=$(dpkg -S "$qt/$m/${m}Config.cmake" 2>/dev/null | cut -d: -f1) || owner=""
        verdict=ok
        [ -n "$owner" ] || verdict="MISSING (no package owns ${m}Config.cmake here)"
        [ -z "$owner" ] || echo "$closure" | grep -qx "$owner" || verdict="MISSING (not in setup.sh $label)"
        echo "$label $m $owner $verdict"
        [ "$verdict" = ok ] || failed=1
    done
}
cd "$src"
check build "" $(find . -name CMakeLists.txt -not -path './tests/*' -not -path './bench/*' \
                   -not -path './fuzz/*' -not -path './build*')
check --test --test $(find . -name CMakeLists.txt -not -path './build*')
exit $failed

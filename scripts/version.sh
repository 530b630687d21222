# Sourced: the program's version as res/version.h defines it, the one place it is kept.
# movalent_version ROOT prints the four numbers joined by dots ("0.3.4.0"), as the version resource shows them.
movalent_version() {
    awk '$1 == "#define" && $2 ~ /^MOVALENT_VERSION_(MAJOR|MINOR|PATCH|BUILD)$/ { n[$2] = $3 }
         END {
             if (!("MOVALENT_VERSION_MAJOR" in n) || !("MOVALENT_VERSION_MINOR" in n) ||
                 !("MOVALENT_VERSION_PATCH" in n) || !("MOVALENT_VERSION_BUILD" in n)) exit 1
             printf "%d.%d.%d.%d\n", n["MOVALENT_VERSION_MAJOR"], n["MOVALENT_VERSION_MINOR"],
                                     n["MOVALENT_VERSION_PATCH"], n["MOVALENT_VERSION_BUILD"]
         }' "$1/res/version.h"
}

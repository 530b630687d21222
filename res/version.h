/*
 * The program's version, in one place. The version resource is built from
 * these numbers, and the program reads its version back from that resource
 * at run time (about box, default home page, update check), so changing a
 * release means changing this file only.
 */
#ifndef MOVALENT_VERSION_H
#define MOVALENT_VERSION_H

#define MOVALENT_VERSION_MAJOR 0
#define MOVALENT_VERSION_MINOR 3
#define MOVALENT_VERSION_PATCH 4
#define MOVALENT_VERSION_BUILD 0

#define MOVALENT_VERSION_STRINGIZE_(x) #x
#define MOVALENT_VERSION_STRINGIZE(x) MOVALENT_VERSION_STRINGIZE_(x)

/* "0.3.4.0": all four parts, as the version resource shows them. */
#define MOVALENT_VERSION_STRING                                      \
    MOVALENT_VERSION_STRINGIZE(MOVALENT_VERSION_MAJOR) "."           \
    MOVALENT_VERSION_STRINGIZE(MOVALENT_VERSION_MINOR) "."           \
    MOVALENT_VERSION_STRINGIZE(MOVALENT_VERSION_PATCH) "."           \
    MOVALENT_VERSION_STRINGIZE(MOVALENT_VERSION_BUILD)

#endif /* MOVALENT_VERSION_H */

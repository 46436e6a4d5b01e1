# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs at install time: installs the launcher with the installed program's path and the
# desktop entry with the installed launcher's, for the prefix this install goes to.
# Set before: QUELLE and ABLAGE (folders), ZUNDEL_APP_ID, and BINDIR, DATADIR and
# PROGRAMM, each absolute or relative to the prefix.
foreach(pfad BINDIR DATADIR PROGRAMM)
    if(NOT IS_ABSOLUTE "${${pfad}}")
        set(${pfad} "${CMAKE_INSTALL_PREFIX}/${${pfad}}")
    endif()
endforeach()
set(ZUNDEL_PROGRAMM "${PROGRAMM}")
set(ZUNDEL_STARTER "${BINDIR}/zundelfeld")

# Written apart for each destination, so installs to two prefixes at once never mix.
string(SHA1 ziel "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(ablage "${ABLAGE}/${ziel}")
configure_file("${QUELLE}/zundelfeld.sh" "${ablage}/zundelfeld" @ONLY)
configure_file("${QUELLE}/zundelfeld.desktop.in" "${ablage}/${ZUNDEL_APP_ID}.desktop" @ONLY)
file(INSTALL "${ablage}/zundelfeld" DESTINATION "${BINDIR}"
     FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                      WORLD_READ WORLD_EXECUTE)
file(INSTALL "${ablage}/${ZUNDEL_APP_ID}.desktop" DESTINATION "${DATADIR}/applications")
file(REMOVE_RECURSE "${ablage}")

# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Run when installing (install(SCRIPT)), so that the program's path in the units holds for
# the prefix the install or the package gives: both units from one source, the single
# server and the template for several, and the settings file wherever there is none yet,
# readable by root only. ZUNDEL_LIGA_QUELLE, ZUNDEL_LIGA_BAU and ZUNDEL_LIGA_SBIN come from
# install(CODE) before it.
set(ZUNDEL_LIGA_PROGRAMM "${CMAKE_INSTALL_PREFIX}/${ZUNDEL_LIGA_SBIN}/zundel-liga")
foreach(einheit zundel-liga zundel-liga@)
    set(ZUNDEL_LIGA_EINSTELLUNGEN "EnvironmentFile=-/etc/default/zundel-liga")
    if(einheit STREQUAL "zundel-liga")
        set(ZUNDEL_LIGA_INSTANZ "")
        set(ZUNDEL_LIGA_DATEI liga)
    else()
        set(ZUNDEL_LIGA_INSTANZ " %i")
        set(ZUNDEL_LIGA_DATEI "%i")
        string(APPEND ZUNDEL_LIGA_EINSTELLUNGEN "\nEnvironmentFile=/etc/default/zundel-liga-%i")
    endif()
    configure_file("${ZUNDEL_LIGA_QUELLE}/zundel-liga.service.in"
                   "${ZUNDEL_LIGA_BAU}/${einheit}.service" @ONLY)
    file(INSTALL "${ZUNDEL_LIGA_BAU}/${einheit}.service"
         DESTINATION "${CMAKE_INSTALL_PREFIX}/lib/systemd/system")
endforeach()
# The units read /etc/default/zundel-liga whether the system's programs are below /usr or
# /usr/local; an install elsewhere keeps it below its own prefix. An operator's settings
# stay as they are.
set(ziel "${CMAKE_INSTALL_PREFIX}/etc/default")
if(CMAKE_INSTALL_PREFIX MATCHES "^/usr(/local)?/?$")
    set(ziel /etc/default)
endif()
if(NOT EXISTS "$ENV{DESTDIR}${ziel}/zundel-liga")
    file(INSTALL "${ZUNDEL_LIGA_QUELLE}/zundel-liga.default" DESTINATION "${ziel}"
         RENAME zundel-liga PERMISSIONS OWNER_READ OWNER_WRITE)
endif()

# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# zundel_paket_revision(PAKET CHANGELOG): the Debian revision N of the changelog's newest
# entry, which must be for "PAKET (PROJECT_VERSION-N)", into CPACK_DEBIAN_PACKAGE_RELEASE;
# configuring again when the changelog changes.
function(zundel_paket_revision paket chronik)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${chronik})
    file(STRINGS ${chronik} kopf LIMIT_COUNT 1)
    string(REPLACE "." "\\." version_muster ${PROJECT_VERSION})
    if(NOT kopf MATCHES "^${paket} \\(${version_muster}-([0-9]+)\\) ")
        message(FATAL_ERROR "${chronik}: the newest entry is not for ${paket} version "
                            "${PROJECT_VERSION}-N: ${kopf}")
    endif()
    set(CPACK_DEBIAN_PACKAGE_RELEASE ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()

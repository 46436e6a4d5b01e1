# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Read by cpack before it packs. Without dpkg-shlibdeps CPack would still make a
# package, only without any library dependency; refuse that instead.
if(CPACK_GENERATOR STREQUAL "DEB")
    find_program(ZUNDEL_SHLIBDEPS dpkg-shlibdeps)
    if(NOT ZUNDEL_SHLIBDEPS)
        message(FATAL_ERROR "dpkg-shlibdeps is missing, so the package would not name the "
                            "libraries it needs. tools/ensure-deps.sh --package installs it.")
    endif()
endif()

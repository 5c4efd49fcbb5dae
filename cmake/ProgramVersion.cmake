# The program's version for the build: read from platform/version/ProgramVersion.h, the one place a
# release's numbers are written. Included before project(), so the project, the package, the
# desktop metadata and the manual pages all carry the version of the executable's version block.
#
# Sets QUORLANE_VERSION (the FileVersion string, e.g. 1.0.0.36), QUORLANE_RELEASE_DATE (YYYY-MM-DD)
# and QUORLANE_COPYRIGHT (the LegalCopyright string). Editing the header reconfigures the build.

include_guard(GLOBAL)

set(_header ${CMAKE_CURRENT_LIST_DIR}/../platform/version/ProgramVersion.h)
file(READ ${_header} _text)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_header})

function(_quorlane_version_match regex out)
    if(NOT _text MATCHES "${regex}")
        message(FATAL_ERROR "ProgramVersion.h: no match for ${regex}")
    endif()
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

_quorlane_version_match("u\"FileVersion\", u\"([0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+)\"" QUORLANE_VERSION)
_quorlane_version_match("FileVersion{([0-9]+, [0-9]+, [0-9]+, [0-9]+)}" _numbers)
_quorlane_version_match("ReleaseDate = \"([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9])\"" QUORLANE_RELEASE_DATE)
_quorlane_version_match("u\"LegalCopyright\", u\"([^\"]*)\"" QUORLANE_COPYRIGHT)

# The fixed (numeric) version and the string must name the same release.
string(REPLACE ", " "." _numbers "${_numbers}")
if(NOT _numbers STREQUAL QUORLANE_VERSION)
    message(FATAL_ERROR "ProgramVersion.h: FileVersion ${_numbers} and the string ${QUORLANE_VERSION} differ")
endif()
unset(_numbers)
unset(_text)
unset(_header)

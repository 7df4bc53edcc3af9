# SPDX-License-Identifier: GPL-3.0-or-later
# The version is set once, in project() and KORVEL_VERSION_COMMENT. From it
# come the display form shown to users (2.3.0.45 is "2.03.0045": major, minor as two
# digits, build number as four), the Debian package version, and the header
# korvel/version.h of the target korvel_version.

function(korvel_zero_pad out value width)
  string(LENGTH "${value}" length)
  set(zeros "")
  if(length LESS width)
    math(EXPR missing "${width} - ${length}")
    string(REPEAT "0" ${missing} zeros)
  endif()
  set(${out} "${zeros}${value}" PARENT_SCOPE)
endfunction()

# The display form has no place for the patch number.
if(NOT PROJECT_VERSION_PATCH EQUAL 0)
  message(FATAL_ERROR "the display version has no patch field: keep the third number of project(VERSION) at 0")
endif()
korvel_zero_pad(minor "${PROJECT_VERSION_MINOR}" 2)
korvel_zero_pad(build "${PROJECT_VERSION_TWEAK}" 4)
set(KORVEL_VERSION_DISPLAY "${PROJECT_VERSION_MAJOR}.${minor}.${build}")

# The release history, newest first, as Debian keeps it: packaging/changelog
# gets an entry for every version (dch -v VERSION-1). From it, as
# dpkg-parsechangelog reads it, come the package's revision, the release date
# and the metainfo's <releases>.
find_program(KORVEL_DPKG_PARSECHANGELOG dpkg-parsechangelog REQUIRED)
set(changelog ${PROJECT_SOURCE_DIR}/packaging/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})

# The field of the changelog's entry `offset` (0: the newest); empty past the oldest.
function(korvel_changelog_field out offset field)
  execute_process(COMMAND ${KORVEL_DPKG_PARSECHANGELOG} -l ${changelog} --offset ${offset} --count 1 -S ${field}
                  OUTPUT_VARIABLE value OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# The change items of an entry's Changes field (its title line, a "." line,
# then "  * item" lines, continued by indented lines), each as one line. A
# semicolon in an item, CMake's list separator, comes as the ASCII unit
# separator, korvel_us.
string(ASCII 31 korvel_us)
function(korvel_change_items out changes)
  string(REPLACE ";" "${korvel_us}" changes "${changes}")
  string(REPLACE "\n" ";" lines "${changes}")
  set(items "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^  \\* (.*)$")
      list(APPEND items "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^    (.*)$" AND items)
      list(POP_BACK items item)
      list(APPEND items "${item} ${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set(${out} "${items}" PARENT_SCOPE)
endfunction()

# A Unix time as YYYY-MM-DD (UTC): string(TIMESTAMP) gives SOURCE_DATE_EPOCH
# when it is set.
function(korvel_utc_date out seconds)
  set(saved "$ENV{SOURCE_DATE_EPOCH}")
  set(ENV{SOURCE_DATE_EPOCH} ${seconds})
  string(TIMESTAMP date "%Y-%m-%d" UTC)
  set(ENV{SOURCE_DATE_EPOCH} "${saved}")
  set(${out} ${date} PARENT_SCOPE)
endfunction()

set(KORVEL_RELEASES "")  # VERSION|YYYY-MM-DD, newest first
set(KORVEL_METAINFO_RELEASES "")
set(offset 0)
korvel_changelog_field(entry_version ${offset} Version)
while(entry_version)
  korvel_changelog_field(timestamp ${offset} Timestamp)
  korvel_changelog_field(changes ${offset} Changes)
  korvel_utc_date(entry_date ${timestamp})
  korvel_change_items(items "${changes}")
  string(REGEX REPLACE "-[^-]+$" "" upstream "${entry_version}")
  # One <release> a version: its newest Debian revision.
  if(NOT KORVEL_METAINFO_RELEASES MATCHES "version=\"${upstream}\"")
    string(APPEND KORVEL_METAINFO_RELEASES "    <release version=\"${upstream}\" date=\"${entry_date}\">\n"
                                          "      <description>\n        <ul>\n")
    foreach(item IN LISTS items)
      string(REPLACE "&" "&amp;" item "${item}")
      string(REPLACE "<" "&lt;" item "${item}")
      string(REPLACE "${korvel_us}" ";" item "${item}")
      string(APPEND KORVEL_METAINFO_RELEASES "          <li>${item}</li>\n")
    endforeach()
    string(APPEND KORVEL_METAINFO_RELEASES "        </ul>\n      </description>\n    </release>\n")
  endif()
  list(APPEND KORVEL_RELEASES "${entry_version}|${entry_date}")
  math(EXPR offset "${offset} + 1")
  korvel_changelog_field(entry_version ${offset} Version)
endwhile()
list(GET KORVEL_RELEASES 0 newest)
string(REPLACE "|" ";" newest "${newest}")
list(GET newest 0 KORVEL_DEB_VERSION)
list(GET newest 1 KORVEL_RELEASE_DATE)
string(REGEX REPLACE "^(.*)-([^-]+)$" "\\1;\\2" newest "${KORVEL_DEB_VERSION}")
list(GET newest 0 newest_upstream)
list(GET newest 1 KORVEL_DEB_REVISION)
if(NOT newest_upstream STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog: the newest entry is ${KORVEL_DEB_VERSION}; "
                      "add one for ${PROJECT_VERSION} (dch -v ${PROJECT_VERSION}-1)")
endif()

configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${PROJECT_BINARY_DIR}/generated/korvel/version.h @ONLY)
add_library(korvel_version INTERFACE)
target_include_directories(korvel_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

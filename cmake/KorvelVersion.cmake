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
# gets an entry for every version (dch -v VERSION-1). From it come the
# package's revision, the release date and the metainfo's <releases>.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog changelog ENCODING UTF-8)
set(KORVEL_RELEASES "")  # VERSION|YYYY-MM-DD, newest first
set(KORVEL_METAINFO_RELEASES "")
set(items "")
foreach(line IN LISTS changelog)
  if(line MATCHES "^korvel \\(([^)]+)\\) ")
    set(entry_version ${CMAKE_MATCH_1})
    set(items "")
  elseif(line MATCHES "^  \\* (.*)$")
    list(APPEND items "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^    (.*)$" AND items)
    list(POP_BACK items item)
    list(APPEND items "${item} ${CMAKE_MATCH_1}")
  elseif(line MATCHES "^ -- .*>  (.+)$")
    execute_process(COMMAND date -u -d "${CMAKE_MATCH_1}" +%F OUTPUT_VARIABLE entry_date
                    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX REPLACE "-[^-]+$" "" upstream "${entry_version}")
    # One <release> a version: its newest Debian revision.
    if(NOT KORVEL_METAINFO_RELEASES MATCHES "version=\"${upstream}\"")
      string(APPEND KORVEL_METAINFO_RELEASES "    <release version=\"${upstream}\" date=\"${entry_date}\">\n"
                                            "      <description>\n        <ul>\n")
      foreach(item IN LISTS items)
        string(REPLACE "&" "&amp;" item "${item}")
        string(REPLACE "<" "&lt;" item "${item}")
        string(APPEND KORVEL_METAINFO_RELEASES "          <li>${item}</li>\n")
      endforeach()
      string(APPEND KORVEL_METAINFO_RELEASES "        </ul>\n      </description>\n    </release>\n")
    endif()
    list(APPEND KORVEL_RELEASES "${entry_version}|${entry_date}")
  endif()
endforeach()
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

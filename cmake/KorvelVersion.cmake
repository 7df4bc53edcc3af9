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
set(KORVEL_DEB_VERSION "${PROJECT_VERSION}-${KORVEL_DEB_REVISION}")

configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${PROJECT_BINARY_DIR}/generated/korvel/version.h @ONLY)
add_library(korvel_version INTERFACE)
target_include_directories(korvel_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

# SPDX-License-Identifier: GPL-3.0-or-later
# Runs korvel with no usable display: --version and a wrong option are answered,
# a plain start ends with one line. DISPLAY=:-1 names no display that could exist.
function(run expected_code expected_output)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=QT_QPA_PLATFORM --unset=WAYLAND_DISPLAY DISPLAY=:-1
                          ${PROGRAM} ${ARGN}
                  RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 60)
  if(NOT code STREQUAL expected_code OR NOT "${out}${err}" MATCHES "${expected_output}")
    message(FATAL_ERROR "korvel ${ARGN}: exit code ${code}, expected ${expected_code}; output:\n${out}${err}")
  endif()
endfunction()

run(0 "^korvel [0-9]+\\.[0-9][0-9]\\.[0-9][0-9][0-9][0-9] " --version)
run(2 "^korvel: неизвестный параметр «--frobnicate»\n" --frobnicate)
run(1 "^korvel: окно открыть невозможно: нет доступа к графическому дисплею \\(DISPLAY=:-1\\)\n$")

# Compiler settings shared by every project target. Third-party code
# (GoogleTest) does not get them.

add_library(orvex_options INTERFACE)

if(MSVC)
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  target_compile_options(orvex_options INTERFACE /W4 /permissive- /utf-8)
  if(ORVEX_WERROR)
    target_compile_options(orvex_options INTERFACE /WX)
  endif()
else()
  target_compile_options(orvex_options INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Woverloaded-virtual -Wformat=2 -Wimplicit-fallthrough)
  if(ORVEX_WERROR)
    target_compile_options(orvex_options INTERFACE -Werror)
  endif()
endif()

if(WIN32)
  # ANSI Win32 functions throughout; no min/max macros; Windows 7 API level.
  target_compile_definitions(orvex_options INTERFACE
    WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  if(MINGW)
    # No DLLs beside the programs but the system's.
    add_link_options(-static -static-libgcc -static-libstdc++)
  endif()
endif()

# Native (Linux) builds of the pure logic run their tests under the sanitizers.
if(NOT WIN32 AND ORVEX_SANITIZE AND NOT MSVC)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# orvex_test(NAME name SOURCES ... LIBS ... [LOCK]) adds a GoogleTest program
# and runs it as one CTest test. LOCK serialises tests that need the one
# FSUIPC window of the desktop.
function(orvex_test)
  cmake_parse_arguments(T "LOCK" "NAME;TIMEOUT" "SOURCES;LIBS;ARGS" ${ARGN})
  if(NOT ORVEX_TESTS)
    return()
  endif()
  if(WIN32)
    if(ORVEX_DIALOGS_RC IN_LIST T_SOURCES)
      set_source_files_properties(${ORVEX_DIALOGS_RC} PROPERTIES OBJECT_DEPENDS "${ORVEX_DIALOGS_RC_DEPENDS}")
    endif()
    add_executable(${T_NAME} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/test_main_win32.cpp)
    target_link_libraries(${T_NAME} PRIVATE orvex_options ${T_LIBS} GTest::gmock)
  else()
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE orvex_options ${T_LIBS} GTest::gtest_main GTest::gmock)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_color=no ${T_ARGS})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LOCK)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK fsuipc_window)
  endif()
endfunction()

# The Windows part of a panel kind, called from panels/<kind>/: the library
# orvex_<kind> (device control, panel object, setup dialog: SOURCES) over
# orvex_<kind>_core, and its two test programs. The control's test runs it
# against a virtual panel through a Relaybox reader; it starts the server and
# counts on its end, so it does not overlap the server's own tests. The
# setup dialog's test drives it modeless through its controls.
function(orvex_panel_kind_win32 KIND)
  cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
  add_library(orvex_${KIND} STATIC ${P_SOURCES})
  target_link_libraries(orvex_${KIND} PUBLIC orvex_${KIND}_core orvex_panel_control orvex_relaybox_client orvex_hid
                        orvex_simlink ${P_LIBS} orvex_common_win32 comctl32 uxtheme user32 gdi32 ole32 oleaut32)

  orvex_test(NAME ${KIND}_control_win32_tests TIMEOUT 180
    SOURCES tests/win32/ctl_${KIND}_panel_test.cpp
    LIBS orvex_${KIND} orvex_virtualpanels_client)
  if(ORVEX_TESTS)
    add_dependencies(${KIND}_control_win32_tests Relaybox VirtualPanels)
    set_tests_properties(${KIND}_control_win32_tests PROPERTIES RESOURCE_LOCK relaybox_registration)
  endif()

  orvex_test(NAME ${KIND}_setup_tests
    SOURCES tests/win32/${KIND}_setup_test.cpp ${ORVEX_DIALOGS_RC}
    LIBS orvex_${KIND} orvex_config)
endfunction()

# orvex_fuzz(NAME name SOURCES ... LIBS ...) adds a libFuzzer target (only in
# a build configured with ORVEX_FUZZ). Its seed corpus is the folder
# fuzz/<name>/ beside the sources, its dictionary fuzz/<name>.dict when there
# is one; `./orvex fuzz` finds both through the list the build writes.
function(orvex_fuzz)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(NOT ORVEX_FUZZ)
    return()
  endif()
  add_executable(${F_NAME} ${F_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/fuzz_input.cpp)
  target_link_libraries(${F_NAME} PRIVATE orvex_options ${F_LIBS})
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz/${F_NAME})
  set(dict ${CMAKE_CURRENT_SOURCE_DIR}/tests/fuzz/${F_NAME}.dict)
  if(NOT EXISTS ${dict})
    set(dict "-")
  endif()
  set_property(GLOBAL APPEND PROPERTY ORVEX_FUZZ_TARGETS "${F_NAME} ${corpus} ${dict}")
endfunction()

# Writes fuzz_targets.txt in the build folder: one line per target, its name,
# its seed corpus and its dictionary ("-" for none).
function(orvex_fuzz_write_list)
  get_property(targets GLOBAL PROPERTY ORVEX_FUZZ_TARGETS)
  list(JOIN targets "\n" text)
  file(WRITE ${CMAKE_BINARY_DIR}/fuzz_targets.txt "${text}\n")
endfunction()

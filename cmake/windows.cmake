# Windows build: the program (32-bit, GUI subsystem, UTF-16 W functions) and
# the test executables that run under Wine (or on Windows).
target_sources(volmaru_core PRIVATE ${VOLMARU_WIN_SOURCES})
target_compile_definitions(volmaru_core PUBLIC UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                               _WIN32_WINNT=0x0601 WINVER=0x0601)
set(_win_libs user32 gdi32 shell32 ole32 oleaut32 uuid winmm comctl32 shlwapi sapi)
target_link_libraries(volmaru_core PUBLIC ${_win_libs})

if(MSVC)
  # The C library's "secure" variants are not portable; the plain ones are
  # used with explicit sizes.
  target_compile_definitions(volmaru_core PUBLIC _CRT_SECURE_NO_WARNINGS)
endif()

if(MINGW)
  # -municode: wWinMain/wmain receive UTF-16 arguments.
  # Sections aligned to pages in the file too: Wine then maps the image
  # instead of copying it into private memory (Windows maps it either way).
  # --tsaware: the programs know Remote Desktop sessions, so Windows gives
  # them no terminal-server compatibility shims (per-session INI and
  # registry redirection of old programs).
  set(_win_link_options -static -municode -Wl,--file-alignment,0x1000 -Wl,--tsaware)
  # windres reads the resource script as UTF-8 (see its code_page pragma).
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")
endif()

add_executable(volmaru WIN32 ${VOLMARU_APP_WIN_SOURCES})
set_target_properties(volmaru PROPERTIES OUTPUT_NAME Volmaru)
target_link_libraries(volmaru PRIVATE volmaru_core)
target_link_options(volmaru PRIVATE ${_win_link_options})
set_property(SOURCE resources/volmaru.rc APPEND PROPERTY OBJECT_DEPENDS
             ${CMAKE_CURRENT_SOURCE_DIR}/resources/volmaru.manifest
             ${CMAKE_CURRENT_SOURCE_DIR}/resources/volmaru.ico
             ${CMAKE_CURRENT_SOURCE_DIR}/resources/Data/mute.ico)

add_executable(restart_loud_dial WIN32 ${VOLMARU_RESTARTER_WIN_SOURCES})
set_target_properties(restart_loud_dial PROPERTIES OUTPUT_NAME RestartLoudDial)
target_link_libraries(restart_loud_dial PRIVATE volmaru_core)
target_link_options(restart_loud_dial PRIVATE ${_win_link_options})
# The restart command needs it beside the program.
add_dependencies(volmaru restart_loud_dial)

# The same program with its test triggers on (a message that blocks the main
# thread for a while), for the end-to-end checks only.
add_executable(volmaru_test_triggers WIN32 ${VOLMARU_APP_WIN_SOURCES})
set_target_properties(volmaru_test_triggers PROPERTIES OUTPUT_NAME VolmaruTest)
target_compile_definitions(volmaru_test_triggers PRIVATE VOLMARU_TEST_TRIGGERS)
target_link_libraries(volmaru_test_triggers PRIVATE volmaru_core)
target_link_options(volmaru_test_triggers PRIVATE ${_win_link_options})

# The read-only files the program finds beside itself: "Data" and the help
# text, copied again whenever one of them changes.
file(GLOB VOLMARU_DATA_FILES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/resources/Data/*)
set(_data_outputs)
foreach(_f ${VOLMARU_DATA_FILES})
  get_filename_component(_n ${_f} NAME)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/Data/${_n}
                     COMMAND ${CMAKE_COMMAND} -E copy_if_different ${_f} ${CMAKE_BINARY_DIR}/Data/${_n}
                     DEPENDS ${_f})
  list(APPEND _data_outputs ${CMAKE_BINARY_DIR}/Data/${_n})
endforeach()
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/ReadMe.txt
                   COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_CURRENT_SOURCE_DIR}/resources/ReadMe.txt
                           ${CMAKE_BINARY_DIR}/ReadMe.txt
                   DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/resources/ReadMe.txt)
list(APPEND _data_outputs ${CMAKE_BINARY_DIR}/ReadMe.txt)
add_custom_target(volmaru_data ALL DEPENDS ${_data_outputs})
add_dependencies(volmaru volmaru_data)

# The end-to-end driver (console, wmain): built with the program because
# tools/run.sh uses it to wait for the tray icon.
add_executable(volmaru_driver ${VOLMARU_E2E_DRIVER_WIN_SOURCES})
target_link_libraries(volmaru_driver PRIVATE volmaru_core psapi)
target_link_options(volmaru_driver PRIVATE ${_win_link_options})

if(VOLMARU_TESTS)
  add_executable(volmaru_bare_tray WIN32 ${VOLMARU_IDLE_FLOOR_WIN_SOURCES})
  target_link_libraries(volmaru_bare_tray PRIVATE volmaru_core)
  target_link_options(volmaru_bare_tray PRIVATE ${_win_link_options})

  # "AquesTalkDa.dll" for tests, in a folder of its own: the program finds it
  # only where a test puts it beside the program.
  add_library(volmaru_speech_standin SHARED ${VOLMARU_SPEECH_STANDIN_WIN_SOURCES})
  set_target_properties(volmaru_speech_standin PROPERTIES OUTPUT_NAME AquesTalkDa PREFIX ""
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/standins)
  if(MINGW)
    # The vendor's names, undecorated; no MinGW runtime DLLs needed.
    target_link_options(volmaru_speech_standin PRIVATE -static -Wl,--kill-at)
  endif()

  enable_testing()
  set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to cross-build")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # The win32 thread model's C++ library has no std::mutex, of which
  # GoogleTest makes its Notification: it gets one made of a Windows event.
  target_compile_definitions(gtest PUBLIC GTEST_HAS_NOTIFICATION_=1)
  target_compile_options(gtest PUBLIC -include ${CMAKE_CURRENT_SOURCE_DIR}/tests/support/gtest_notification_win.h)
  add_executable(volmaru_win_tests ${VOLMARU_WIN_TEST_SOURCES})
  target_link_libraries(volmaru_win_tests PRIVATE volmaru_core gtest_main gmock)
  target_link_options(volmaru_win_tests PRIVATE -static)
  # The version window's tests find "Data\Hand.cur" beside the test program.
  add_dependencies(volmaru_win_tests volmaru_data)
  # PolicyConfigStandIn.dll beside the tests and the program; the Windows
  # tests and the end-to-end checks register it in their prefixes.
  add_library(volmaru_policy_standin SHARED ${VOLMARU_POLICY_STANDIN_WIN_SOURCES})
  set_target_properties(volmaru_policy_standin PROPERTIES OUTPUT_NAME PolicyConfigStandIn PREFIX ""
                                                          RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
  target_link_libraries(volmaru_policy_standin PRIVATE volmaru_core)
  target_link_options(volmaru_policy_standin PRIVATE -static)
  add_dependencies(volmaru_win_tests volmaru_policy_standin)
  # One ctest entry per executable: starting Wine costs a second, so tests
  # are not discovered one by one.
  # The long handle-leak run gets an entry of its own so that ctest -j runs
  # it beside the rest.
  add_test(NAME volmaru_win_tests COMMAND volmaru_win_tests --gtest_color=no
           --gtest_filter=-*ManyUpdates*)
  add_test(NAME volmaru_win_tests_leaks COMMAND volmaru_win_tests --gtest_color=no
           --gtest_filter=*ManyUpdates*)
  set_tests_properties(volmaru_win_tests volmaru_win_tests_leaks PROPERTIES TIMEOUT 900)

  # The pictures of tests/golden/ drawn anew (tests/e2e/groups/96-golden.sh);
  # it reads Data\ beside itself as the program does.
  add_executable(volmaru_golden ${VOLMARU_GOLDEN_WIN_SOURCES})
  target_link_libraries(volmaru_golden PRIVATE volmaru_core)
  target_link_options(volmaru_golden PRIVATE -static -municode)
  add_dependencies(volmaru_golden volmaru_data)
  set_property(SOURCE tests/golden/golden_win.rc APPEND PROPERTY OBJECT_DEPENDS
               ${CMAKE_CURRENT_SOURCE_DIR}/resources/volmaru.ico
               ${CMAKE_CURRENT_SOURCE_DIR}/resources/Data/mute.ico)

  # Timings of the settings window under Windows or Wine (tools/bench.sh).
  add_executable(volmaru_settei_bench ${VOLMARU_WIN_BENCH_SOURCES})
  target_link_libraries(volmaru_settei_bench PRIVATE volmaru_core)
  target_link_options(volmaru_settei_bench PRIVATE -static)
endif()

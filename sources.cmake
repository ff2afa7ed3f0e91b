# The one list of sources for every build. Portable code (no <windows.h>) is
# built and unit-tested on the host and also compiled into the Windows
# program; files ending in _win are the thin Win32 layer beside it; files
# ending in _posix stand in for them on the host.

set(VOLMARU_CORE_SOURCES
  about/bevel_label.cpp
  about/version_form.cpp
  app/restarter.cpp
  app/settei_handover.cpp
  app/shell_commands.cpp
  app/startup.cpp
  app/timer_tick.cpp
  common/text.cpp
  devices/device_list.cpp
  devices/device_switch.cpp
  input/input_rules.cpp
  meter/list_order.cpp
  meter/meter_geometry.cpp
  schedule/schedule_runtime.cpp
  meter/saved_volume_box.cpp
  schedule/device_schedule_editing.cpp
  schedule/schedule_editing.cpp
  settings/ini_document.cpp
  settings/profile_file.cpp
  settings/window/settei_layout.cpp
  settings/window/settei_rules.cpp
  settings/window/settei_session.cpp
  settings/settings_schema.cpp
  settings/settings_store.cpp
  settings/window/spoken_check.cpp
  settings/time_format.cpp
  tray/ico_file.cpp
  tray/icon_layout.cpp
  tray/menu_commands.cpp
  tray/popup_menu.cpp
  tray/tooltip_text.cpp
  tray/tray_clicks.cpp
  volume/mixers.cpp
  volume/volume_ops.cpp
)

set(VOLMARU_POSIX_SOURCES
  common/text_posix.cpp
  settings/file_port_posix.cpp
)

set(VOLMARU_WIN_SOURCES
  about/bevel_label_win.cpp
  about/version_form_win.cpp
  app/main_window_win.cpp
  common/message_pump_win.cpp
  app/shell_commands_win.cpp
  app/settei_host_win.cpp
  app/shell_links_win.cpp
  common/dpi_win.cpp
  common/system_library_win.cpp
  common/font_face_win.cpp
  common/form_win.cpp
  common/themed_button_win.cpp
  common/handle_win.cpp
  common/message_box_win.cpp
  common/text_win.cpp
  devices/core_audio_devices_win.cpp
  devices/endpoint_notifications_win.cpp
  devices/policy_config_win.cpp
  input/force_foreground_win.cpp
  input/input_thread_win.cpp
  input/taskbars_win.cpp
  meter/volume_bar_form_win.cpp
  schedule/local_clock_win.cpp
  settings/file_port_win.cpp
  settings/locale_format_win.cpp
  settings/window/settei_form_win.cpp
  settings/window/speech_win.cpp
  tray/icon_render_win.cpp
  tray/tray_icon_updater_win.cpp
  tray/tray_icon_win.cpp
  volume/endpoint_win.cpp
  volume/mixer_notify_win.cpp
  volume/mixer_port_win.cpp
)

# The resident program itself.
set(VOLMARU_APP_WIN_SOURCES
  app/main_win.cpp
  resources/volmaru.rc
)

# RestartLoudDial.exe: started by the restart command, it waits for the
# program to end and starts it again (GUI subsystem, no window of its own).
set(VOLMARU_RESTARTER_WIN_SOURCES
  app/restarter_win.cpp
  resources/restarter.rc
)

# Console helper of the end-to-end tests: runs beside the program in the same
# Wine desktop and inspects it from the outside (tests/e2e/run-e2e.sh).
set(VOLMARU_E2E_DRIVER_WIN_SOURCES
  tests/e2e/driver_win.cpp
)

# The floor of the idle-cost measurement (tools/idle-cost.sh): a bare program
# with only a tray icon, the endpoint volume and a 100 ms poll.
set(VOLMARU_IDLE_FLOOR_WIN_SOURCES
  tests/idle/bare_tray_win.cpp
)

# Test stand-ins for libraries a test machine lacks: the vendor speech library
# (built into its own folder, never shipped).
set(VOLMARU_SPEECH_STANDIN_WIN_SOURCES
  tests/speech/aquestalk_standin_win.cpp
)

# Test artefact only, never shipped: an in-process server standing in for the
# system's policy-configuration object, which Wine lacks (registered in the
# test prefixes so that the program can switch the default device there).
set(VOLMARU_POLICY_STANDIN_WIN_SOURCES
  tests/devices/policy_config_standin_win.cpp
  tests/devices/policy_config_standin.def
)

# Host unit tests (GoogleTest), mirroring the layout.
set(VOLMARU_HOST_TEST_SOURCES
  tests/about/bevel_label_test.cpp
  tests/about/version_form_test.cpp
  tests/app/help_text_test.cpp
  tests/app/restarter_test.cpp
  tests/app/settei_handover_test.cpp
  tests/app/shell_commands_test.cpp
  tests/app/startup_test.cpp
  tests/app/timer_tick_test.cpp
  tests/common/dpi_test.cpp
  tests/common/message_wait_test.cpp
  tests/common/text_test.cpp
  tests/devices/device_list_test.cpp
  tests/devices/device_switch_test.cpp
  tests/input/hook_watch_test.cpp
  tests/input/input_rules_test.cpp
  tests/meter/list_order_test.cpp
  tests/meter/meter_geometry_test.cpp
  tests/schedule/schedule_runtime_test.cpp
  tests/meter/saved_volume_box_test.cpp
  tests/schedule/device_schedule_editing_test.cpp
  tests/schedule/schedule_editing_test.cpp
  tests/settings/ini_document_test.cpp
  tests/settings/profile_file_test.cpp
  tests/settings/window/settei_layout_test.cpp
  tests/settings/window/settei_rules_test.cpp
  tests/settings/window/settei_session_test.cpp
  tests/settings/settings_store_test.cpp
  tests/settings/window/spoken_check_test.cpp
  tests/settings/time_format_test.cpp
  tests/settings/atomic_write_test.cpp
  tests/settings/device_sections_test.cpp
  tests/tray/ico_file_test.cpp
  tests/tray/icon_layout_test.cpp
  tests/tray/menu_commands_test.cpp
  tests/tray/popup_menu_test.cpp
  tests/tray/tooltip_text_test.cpp
  tests/tray/tray_clicks_test.cpp
  tests/volume/mixers_test.cpp
  tests/volume/volume_ops_test.cpp
)

# Tests cross-built for Windows and run under Wine (with the program's
# manifest, so that they get the same common controls).
set(VOLMARU_WIN_TEST_SOURCES
  tests/about/bevel_label_wintest.cpp
  tests/about/version_form_wintest.cpp
  tests/app/shell_links_wintest.cpp
  tests/common/dpi_wintest.cpp
  tests/common/message_box_wintest.cpp
  tests/devices/devices_wintest.cpp
  tests/win_tests.rc
  tests/volume/endpoint_wintest.cpp
  tests/tray/icon_render_wintest.cpp
  tests/tray/tray_icon_wintest.cpp
  tests/meter/list_order_wintest.cpp
  tests/meter/volume_bar_form_wintest.cpp
  tests/settings/profile_differential_wintest.cpp
  tests/settings/profile_file_wintest.cpp
  tests/settings/window/speech_wintest.cpp
  tests/settings/window/settei_form_wintest.cpp
  tests/volume/mixers_wintest.cpp
)

# Test artefact only, never shipped: the program's pictures drawn by its own
# code into bitmaps, compared with the goldens in tests/golden/ by the
# end-to-end group 96-golden.sh.
set(VOLMARU_GOLDEN_WIN_SOURCES
  tests/golden/golden_win.cpp
  tests/golden/golden_win.rc
  tests/win_tests.rc
)

set(VOLMARU_BENCH_SOURCES
  bench/devices_bench.cpp
  bench/meter_bench.cpp
  bench/settings_bench.cpp
  bench/tick_bench.cpp
)

# Timings that need the real window system (run under Wine by tools/bench.sh).
set(VOLMARU_WIN_BENCH_SOURCES
  bench/settei_form_bench_win.cpp
  tests/win_tests.rc
)

set(VOLMARU_FUZZ_SOURCES
  tests/fuzz/ini_document_fuzz.cpp
)

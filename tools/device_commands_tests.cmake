# The tool's command line and its device-data and settings commands on the virtual printer of
# each model. Each behaviour has a test for its exit status and one for what it prints.
function(rvs_tool_test name)
  cmake_parse_arguments(T "FAILS" "PRINTS" "ARGS" ${ARGN})
  add_test(NAME rvstatement_${name} COMMAND rvstatement ${T_ARGS})
  set_tests_properties(rvstatement_${name} PROPERTIES TIMEOUT 60)
  if(T_FAILS)
    set_tests_properties(rvstatement_${name} PROPERTIES WILL_FAIL TRUE)
  endif()
  if(T_PRINTS)
    add_test(NAME rvstatement_${name}_output COMMAND rvstatement ${T_ARGS})
    set_tests_properties(rvstatement_${name}_output PROPERTIES PASS_REGULAR_EXPRESSION "${T_PRINTS}" TIMEOUT 60)
  endif()
endfunction()

rvs_tool_test(help ARGS --help PRINTS "^usage:\n  rvstatement demo")
rvs_tool_test(command_help ARGS leds --help PRINTS "^usage: rvstatement leds R G Y")
rvs_tool_test(unknown_command FAILS ARGS bogus PRINTS "unknown command \"bogus\"")
rvs_tool_test(unknown_option FAILS ARGS metrics --bogus PRINTS "unknown option --bogus")
rvs_tool_test(no_command FAILS)

rvs_tool_test(metrics ARGS metrics --model korvelin PRINTS "Metric 0: [0-9]+\n.*Metric 3: [0-9]+  \\(read-only\\)\n.*Metric 6: ")
rvs_tool_test(metrics_set ARGS metrics 2 500 --model oxa-st PRINTS "Metric 2 set to 500.\nMetric 2: 500\n")
rvs_tool_test(metrics_read_only FAILS ARGS metrics 3 1 PRINTS "setting metric 3 to 1 failed: 9 ")
rvs_tool_test(metrics_out_of_range FAILS ARGS metrics 2 100000000 --model korvelin-fo)
# A number with leading zeros is decimal, as the help says: 0100 is a hundred, not 64.
rvs_tool_test(metrics_leading_zero ARGS metrics 2 0100 PRINTS "Metric 2 set to 100.\nMetric 2: 100\n")

set(rvs_mfg_block ${CMAKE_CURRENT_BINARY_DIR}/mfg-short-block.bin)
file(WRITE ${rvs_mfg_block} "ACME TEST BLOCK 0123456789ABCDE")  # 31 bytes
rvs_tool_test(mfg ARGS mfg --model korvelin-fo PRINTS "Manufacturing data \\(115 bytes\\):\n  000  4B 4F 52 56 45 4C 49 4E 20 46 4F")
rvs_tool_test(mfg_set ARGS mfg --set ${rvs_mfg_block} --model oxa-st
              PRINTS "Manufacturing data written \\(31 bytes\\).\n.*ACME TEST BLOCK ")
rvs_tool_test(mfg_wrong_size FAILS ARGS mfg --set ${CMAKE_CURRENT_LIST_FILE})

rvs_tool_test(config ARGS config --model oxa-st PRINTS "Configuration: 0000000000000000\n  byte 0: 0x00\n")
rvs_tool_test(leds ARGS leds 2 1 0 --model oxa-st
              PRINTS "Panel LEDs set.\n.*Red    mode 2 \\(flashing\\), on 5, off 5\n  Green  mode 1 \\(on\\)")
rvs_tool_test(leds_times ARGS leds 0 0 2 1 2 3 4 15 1 --model korvelin-fo PRINTS "Yellow mode 2 \\(flashing\\), on 15, off 1")
rvs_tool_test(leds_refused FAILS ARGS leds 3 0 0 PRINTS "setting the panel LEDs failed: 9 ")
rvs_tool_test(enable ARGS enable off --model korvelin PRINTS "Printing disabled.\nVirtual printer: printing disabled")
rvs_tool_test(enable_timeout ARGS enable on --timeout 5 --model oxa-st
              PRINTS "Printing enabled.\nOXA print time-out of this session: 5 min\n")
rvs_tool_test(enable_bad FAILS ARGS enable maybe)
rvs_tool_test(purge ARGS purge --model korvelin-fo PRINTS "Purged the data the printer held.\n")
rvs_tool_test(version ARGS version --model oxa-st PRINTS "Library version: 02.10\nDriver version: 01.00\n")

# The self-test command on the virtual printer (rvs_tool_test comes from
# device_commands_tests.cmake): the result in words, the exit status, the help.
set(rvs_self_test_data ${CMAKE_CURRENT_BINARY_DIR}/self-test-page.bin)
file(WRITE ${rvs_self_test_data} "SELF-TEST PAGE 0123456789")
rvs_tool_test(selftest ARGS selftest 3 --model korvelin
              PRINTS "Running self-test step 3\nThe virtual printer ran step 3\nSelf-test: 0 \\(success\\)\n")
rvs_tool_test(selftest_timed ARGS selftest 5 --model oxa-st PRINTS "ran step 5\nSelf-test: 0 \\(success\\)\n")
rvs_tool_test(selftest_data ARGS selftest 10 --data ${rvs_self_test_data} --model korvelin-fo
              PRINTS "ran step 10\nSelf-test: 0 \\(success\\)\n")
# An empty FILE is data all the same: step 10 sends no bytes rather than being refused.
set(rvs_self_test_empty ${CMAKE_CURRENT_BINARY_DIR}/self-test-empty.bin)
file(WRITE ${rvs_self_test_empty} "")
rvs_tool_test(selftest_empty_data ARGS selftest 10 --data ${rvs_self_test_empty} --model korvelin
              PRINTS "ran step 10\nSelf-test: 0 \\(success\\)\n")
rvs_tool_test(selftest_help ARGS selftest --help PRINTS "^usage: rvstatement selftest \\[ID\\] \\[--data FILE\\]")
rvs_tool_test(selftest_refused FAILS ARGS selftest 12 PRINTS "ran steps none\n.*the self-test failed: 9 \\(invalid parameter")
# Step 10 without data: refused in self-test mode, which the printer is told to leave.
rvs_tool_test(selftest_no_data FAILS ARGS selftest 10 PRINTS "ran steps none\n.*the self-test failed: 9 ")
rvs_tool_test(selftest_bad_id FAILS ARGS selftest three PRINTS "ID is a step from 1 to 11")
rvs_tool_test(selftest_no_file FAILS ARGS selftest 10 --data /nonexistent/page.bin PRINTS "cannot read /nonexistent/page.bin")
# Every step but 2 by default, with the data step's page from FILE.
add_test(NAME rvstatement_selftest_all COMMAND rvstatement selftest --data ${rvs_self_test_data} --model korvelin)
set_tests_properties(rvstatement_selftest_all PROPERTIES
  PASS_REGULAR_EXPRESSION "Running every self-test step\nThe virtual printer ran steps 1 3 4 5 6 7 8 9 10 11\nSelf-test: 0 \\(success\\)\n"
  TIMEOUT 60)

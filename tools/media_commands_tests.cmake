# The printing and paper commands on the virtual printer (rvs_tool_test comes from
# device_commands_tests.cmake): the result in words, the exit status, the help.
foreach(command IN ITEMS present eject retract cut reset recover)
  rvs_tool_test(${command} ARGS ${command} --model korvelin PRINTS ": 0 \\(success\\)\n")
  rvs_tool_test(${command}_help ARGS ${command} --help PRINTS "^usage: rvstatement ${command} ")
endforeach()
rvs_tool_test(print ARGS print ${PROJECT_SOURCE_DIR}/README.md --model oxa-st
              PRINTS "Printing [0-9]+ bytes from [^\n]*README.md\nPrint: 0 \\(success\\)\n")
rvs_tool_test(print_help ARGS print --help PRINTS "^usage: rvstatement print FILE")
rvs_tool_test(print_no_file FAILS ARGS print /nonexistent/statement.prn PRINTS "cannot read /nonexistent/statement.prn")
rvs_tool_test(print_without_file FAILS ARGS print PRINTS "give the FILE to print")
rvs_tool_test(transport ARGS transport retract --model korvelin-fo PRINTS "Transport: 0 \\(success\\)\n")
rvs_tool_test(transport_help ARGS transport --help PRINTS "^usage: rvstatement transport present\\|eject\\|retract")
rvs_tool_test(transport_bad_word FAILS ARGS transport sideways PRINTS "say present, eject or retract")
# A mode the library refuses: its 9 in words.
rvs_tool_test(transport_refused FAILS ARGS transport 7 PRINTS "the transport failed: 9 \\(invalid parameter")
# A statement never taken from the virtual printer's exit is still presented.
rvs_tool_test(present_oxa_st ARGS present --model oxa-st PRINTS "Present: 0 \\(success\\)\n")

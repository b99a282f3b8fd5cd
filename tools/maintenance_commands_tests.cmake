# The firmware, configuration and paper commands on the virtual printer.

# A firmware image of two one-unit blocks for the Korvelin FO: a boot block (F B) and the
# firmware block after it (F F). Printable filler, as file(WRITE) writes text.
string(ASCII 1 rvs_one_unit)
string(REPEAT "x" 18 rvs_header_start)
string(REPEAT "y" 65512 rvs_block_body)
set(rvs_firmware_image ${CMAKE_CURRENT_BINARY_DIR}/firmware-fo.bin)
file(WRITE ${rvs_firmware_image}
     "${rvs_header_start}FB${rvs_one_unit}xxx${rvs_block_body}${rvs_header_start}FF${rvs_one_unit}xx!${rvs_block_body}")

rvs_tool_test(firmware ARGS firmware ${rvs_firmware_image} 2 --model korvelin-fo
              PRINTS "Firmware before: 0310 \\(Korvelin FO\\)\n.*\\[#+\\.+\\] switching to the loader.*boot block written.*\\[#+\\] firmware block downloaded.*Firmware downloaded: 0 \\(success\\)\nFirmware after: 2178 \\(Korvelin FO\\)")
rvs_tool_test(firmware_no_block FAILS ARGS firmware ${rvs_firmware_image} 0 --model oxa-st
              PRINTS "the firmware download failed: 14 ")
rvs_tool_test(firmware_usage FAILS ARGS firmware ${rvs_firmware_image})
rvs_tool_test(firmware_help ARGS firmware --help PRINTS "^usage: rvstatement firmware FILE TYPE")

rvs_tool_test(config_set ARGS config set 1006000000000000 --model korvelin-fo
              PRINTS "Configuration set: 0 \\(success\\)\nConfiguration: 1006000000000000\n")
rvs_tool_test(config_set_refused FAILS ARGS config set 0004000000000000 PRINTS "setting the configuration failed: 9 ")
rvs_tool_test(config_set_usage FAILS ARGS config set 12)

rvs_tool_test(paper_user_size ARGS paper 2 0 150 --model oxa-st
              PRINTS "Paper selected: User Defined Size1 \\(0 \\(success\\)\\)\nVirtual printer: paper 256, form \"User Defined Size1\"\n  spooler form \"User Defined Size1\": 216000 x 150000 um")
rvs_tool_test(paper_form ARGS paper 4 PRINTS "Paper selected: 6inches wide")
rvs_tool_test(paper_too_short FAILS ARGS paper 2 0 69 PRINTS "selecting the paper failed: 9 ")
rvs_tool_test(paper_help ARGS paper --help PRINTS "^usage: rvstatement paper SIZE")

# The downloads stage their block beside the image, in the same "DL_TEMP.bin": one at a time.
set_tests_properties(rvstatement_firmware rvstatement_firmware_output rvstatement_firmware_no_block
                     rvstatement_firmware_no_block_output PROPERTIES RESOURCE_LOCK rvs_firmware_image)

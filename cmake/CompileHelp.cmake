# Compiles the help project into Tolvane.chm (run by the build through cmake -P):
#   -DCHMCMD=... -DPROJECT=<the .hhp> -DWORK_DIR=... -DOUTPUT=<the .chm beside the program>
# chmcmd writes the file into its working folder and exits with 0 even when the project is
# missing or a page links to a file that does not exist: any warning fails the build here, so
# that a help file with holes never ships.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(
  COMMAND ${CHMCMD} --html-scan ${PROJECT}
  WORKING_DIRECTORY ${WORK_DIR}
  RESULT_VARIABLE status
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
get_filename_component(compiled ${PROJECT} NAME_WE)
set(compiled ${WORK_DIR}/${compiled}.chm)
if(NOT status EQUAL 0 OR out MATCHES "Warning|Error|Can't" OR err MATCHES "Warning|Error|exception"
   OR NOT EXISTS ${compiled})
  message(FATAL_ERROR "chmcmd could not compile ${PROJECT} cleanly (status ${status}):\n${out}\n${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E copy ${compiled} ${OUTPUT} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "could not copy ${compiled} to ${OUTPUT}")
endif()

# Build step: writes the bash completion of the clients with the parameter
# names printed by the manual generator from the clients' tables.
# In: GENERATOR, TEMPLATE, OUTPUT.
foreach(client ctl ctl2)
  execute_process(COMMAND "${GENERATOR}" --names ${client}
    OUTPUT_VARIABLE names OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${GENERATOR} --names ${client} failed")
  endif()
  string(TOUPPER ${client} upper)
  set(VORELL_${upper}_NAMES "${names}")
endforeach()
configure_file("${TEMPLATE}" "${OUTPUT}" @ONLY)

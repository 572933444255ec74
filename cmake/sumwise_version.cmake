# The version the programs carry, and the files generated from it.
#
# sumwise_version_parts(TEXT PREFIX) checks that TEXT is one to four numbers
# separated by dots and sets PREFIX_TEXT (as given), PREFIX_NUMBERS (four
# numbers, missing ones zero, for the version resource) and PREFIX_DOTTED
# (the four with dots, as a manifest must have them).
function(sumwise_version_parts text prefix)
  if(NOT text MATCHES "^([0-9]+)(\\.([0-9]+))?(\\.([0-9]+))?(\\.([0-9]+))?$")
    message(FATAL_ERROR "Version \"${text}\" is not one to four numbers separated by dots")
  endif()
  set(numbers "")
  foreach(group 1 3 5 7)
    set(part "${CMAKE_MATCH_${group}}")
    if(part STREQUAL "")
      set(part 0)
    endif()
    if(part GREATER 65535)
      message(FATAL_ERROR "Version \"${text}\": ${part} does not fit a version resource (at most 65535)")
    endif()
    list(APPEND numbers ${part})
  endforeach()
  list(JOIN numbers "." dotted)
  list(JOIN numbers ", " numbers)
  set(${prefix}_TEXT "${text}" PARENT_SCOPE)
  set(${prefix}_NUMBERS "${numbers}" PARENT_SCOPE)
  set(${prefix}_DOTTED "${dotted}" PARENT_SCOPE)
endfunction()

# sumwise_version_files(TEXT DIR) writes DIR/resources/version.h and
# DIR/resources/sumwise.manifest for that version.
function(sumwise_version_files text dir)
  sumwise_version_parts("${text}" SUMWISE_VERSION)
  configure_file(${PROJECT_SOURCE_DIR}/src/resources/version.h.in ${dir}/resources/version.h @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/src/resources/sumwise.manifest.in ${dir}/resources/sumwise.manifest @ONLY)
endfunction()

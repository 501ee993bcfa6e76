# Run by CTest (test_layers): every check(layer includes headers) of CHECKS preprocesses an
# #include of each header with the layer's include path alone, which must not find it.
# The headers belong to layers above, so finding one would let the layer use them.
set(failures "")
function(check layer includes headers)
  set(flags "")
  foreach(folder IN LISTS includes)
    list(APPEND flags "-I${folder}")
  endforeach()
  foreach(header IN LISTS headers)
    file(WRITE probe.cpp "#include \"${header}\"\n")
    execute_process(COMMAND "${COMPILER}" -E ${flags} probe.cpp
                    RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE error)
    # g++ and clang++ say "not found" each in their own words.
    if(status EQUAL 0 OR NOT error MATCHES "${header}'?: No such file|'${header}' file not found")
      list(APPEND failures "${layer} reaches ${header} above it")
    endif()
  endforeach()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()
include("${CHECKS}")
if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()

# Builds each case (TARGET:LIBRARY:HEADER:seen|unseen): a seen header must build, an unseen one must
# fail because the header is not found.
foreach(case ${CASES})
    string(REPLACE ":" ";" parts "${case}")
    list(GET parts 0 target)
    list(GET parts 1 library)
    list(GET parts 2 header)
    list(GET parts 3 expected)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target}
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(expected STREQUAL "seen" AND NOT result EQUAL 0)
        message(FATAL_ERROR "${library} cannot include its own ${header}:\n${output}")
    elseif(expected STREQUAL "unseen" AND result EQUAL 0)
        message(FATAL_ERROR "${library} can include ${header}")
    elseif(expected STREQUAL "unseen" AND NOT output MATCHES "${header}: No such file or directory")
        message(FATAL_ERROR "${library} with ${header} failed for another reason:\n${output}")
    endif()
    message(STATUS "${library}: ${header} ${expected}")
endforeach()

# Writes OUT, the header with the version the programs report: the
# project's, with the commit of the checkout as it is at build time. Run
# at every build, so a build made after a commit does not report the
# commit it was configured from; the file is rewritten only when the text
# changes, so an unchanged checkout recompiles nothing.
set(version "${PROJECT_VERSION}")
if(GIT)
  execute_process(COMMAND ${GIT} describe --always --dirty
                  WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE describe
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE result)
  if(result EQUAL 0 AND describe)
    set(version "${PROJECT_VERSION}+${describe}")
  endif()
endif()
set(text "#define WB_VERSION \"${version}\"\n")
set(old "")
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUT}" "${text}")
endif()

# veltranix-manualpdf fails loudly, and writes nothing, on a manual it cannot
# use (or whose picture it cannot read); a good one gives a PDF whose title is its first heading.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
set(ENV{QT_QPA_PLATFORM} offscreen)

function(expect_failure case markdown)
  if(NOT markdown STREQUAL "")
    file(WRITE ${WORK}/${case}.md "${markdown}")
  endif()
  execute_process(COMMAND ${TOOL} ${WORK}/${case}.md ${WORK}/${case}.pdf ${WORK}
                  RESULT_VARIABLE result ERROR_VARIABLE error)
  if(result EQUAL 0 OR EXISTS ${WORK}/${case}.pdf)
    message(FATAL_ERROR "${case}: accepted (${result}) ${error}")
  endif()
endfunction()
expect_failure(missing "")
expect_failure(untitled "Some text without a title.\n")
expect_failure(title_only "# Veltranix: Manual\n\n")
expect_failure(missing_picture "# Veltranix: Manual\n\nText.\n\n![A window](absent.png)\n")

file(WRITE ${WORK}/good.md "# Veltranix: Manual\n\n## Start\n\nText.\n")
execute_process(COMMAND ${TOOL} ${WORK}/good.md ${WORK}/good.pdf
                RESULT_VARIABLE result ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "a good manual failed (${result}): ${error}")
endif()
file(READ ${WORK}/good.pdf head LIMIT 4 HEX)
file(STRINGS ${WORK}/good.pdf pages REGEX "/Type /Page$")
list(LENGTH pages page_count)
if(NOT head STREQUAL "25504446" OR NOT page_count EQUAL 1)  # %PDF
  message(FATAL_ERROR "good.pdf: '${head}', ${page_count} pages")
endif()

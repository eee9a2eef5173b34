# Takes each genre page file out of its section of the built program and compares the
# bytes with the file under res/.
# cmake -DOBJCOPY=... -DPROGRAM=... -DSOURCE_DIR=... -DOUTPUT_DIR=... -P extract_pages.cmake
file(MAKE_DIRECTORY ${OUTPUT_DIR})
set(failed "")
foreach(page id3genres.html id3genres.ru.html id3genres.css id3genres.js)
  set(extracted ${OUTPUT_DIR}/${page})
  file(REMOVE ${extracted})
  execute_process(
    COMMAND ${OBJCOPY} -O binary --only-section=.velkor_page.${page} ${PROGRAM} ${extracted}
    RESULT_VARIABLE result ERROR_VARIABLE error)
  if(NOT result EQUAL 0)
    list(APPEND failed "${page}: objcopy failed: ${error}")
    continue()
  endif()
  file(SIZE ${SOURCE_DIR}/res/${page} expected_size)
  file(SIZE ${extracted} size)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${extracted} ${SOURCE_DIR}/res/${page}
                  RESULT_VARIABLE different)
  if(different)
    list(APPEND failed "${page}: section .velkor_page.${page} holds ${size} bytes that differ from res/${page} (${expected_size} bytes)")
  endif()
endforeach()
if(failed)
  list(JOIN failed "\n" message)
  message(FATAL_ERROR "${message}")
endif()
message(STATUS "the four page files are embedded byte for byte")

# Takes each genre page file out of its section of the built program and compares the
# bytes with the file under res/.
# cmake -DOBJCOPY=... -DPROGRAM=... -DSOURCE_DIR=... -DOUTPUT_DIR=... -P extract_pages.cmake
file(MAKE_DIRECTORY ${OUTPUT_DIR})
foreach(page id3genres.html id3genres.ru.html id3genres.css id3genres.js)
  file(REMOVE ${OUTPUT_DIR}/${page})
  execute_process(COMMAND ${OBJCOPY} -O binary --only-section=.velkor_page.${page} ${PROGRAM} ${OUTPUT_DIR}/${page})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUTPUT_DIR}/${page} ${SOURCE_DIR}/res/${page}
                  RESULT_VARIABLE different)
  if(different)
    message(SEND_ERROR "${page}: section .velkor_page.${page} differs from res/${page}")
  endif()
endforeach()

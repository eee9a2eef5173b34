# The string tables live in the resource script; the Linux build compiles them from there.
set(message_table_cc ${CMAKE_CURRENT_BINARY_DIR}/message_table.cc)
add_custom_command(
  OUTPUT ${message_table_cc}
  COMMAND rc_strings ${CMAKE_CURRENT_LIST_DIR}/resource.h ${CMAKE_CURRENT_LIST_DIR}/velkor.rc ${message_table_cc}
  DEPENDS rc_strings ${CMAKE_CURRENT_LIST_DIR}/resource.h ${CMAKE_CURRENT_LIST_DIR}/velkor.rc
  COMMENT "Compiling the string tables of velkor.rc")
add_library(velkor_resources STATIC ${message_table_cc})
target_include_directories(velkor_resources PUBLIC ${CMAKE_CURRENT_LIST_DIR})

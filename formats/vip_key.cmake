# The VIP colour key is kept as text in data/vip-key.txt and compiled in: at build time the
# hex bytes become a C array initialiser (formats/vip_key.inc under the generated folder).
#
# Included from formats/CMakeLists.txt after lh_formats is defined; also run as a script
# (cmake -DIN=... -DOUT=... -P vip_key.cmake) to do the conversion.

if(CMAKE_SCRIPT_MODE_FILE)
  file(STRINGS ${IN} lines)
  set(body "")
  set(count 0)
  foreach(line IN LISTS lines)
    if(line MATCHES "^[ \t]*#" OR line STREQUAL "")
      continue()
    endif()
    string(REGEX MATCHALL "[0-9A-Fa-f][0-9A-Fa-f]" pairs "${line}")
    foreach(p IN LISTS pairs)
      string(APPEND body "0x${p},")
      math(EXPR count "${count} + 1")
    endforeach()
    string(APPEND body "\n")
  endforeach()
  if(NOT count EQUAL 394)
    message(FATAL_ERROR "${IN}: expected 394 key bytes, found ${count}")
  endif()
  file(WRITE ${OUT}.tmp "// Generated from data/vip-key.txt; do not edit.\n${body}")
  file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
  file(REMOVE ${OUT}.tmp)
  return()
endif()

set(LH_VIP_KEY_TXT ${PROJECT_SOURCE_DIR}/data/vip-key.txt)
set(LH_VIP_KEY_INC ${PROJECT_BINARY_DIR}/generated/formats/vip_key.inc)
add_custom_command(
  OUTPUT ${LH_VIP_KEY_INC}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/generated/formats
  COMMAND ${CMAKE_COMMAND} -DIN=${LH_VIP_KEY_TXT} -DOUT=${LH_VIP_KEY_INC} -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${LH_VIP_KEY_TXT} ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Generating the VIP colour key"
  VERBATIM)
target_sources(lh_formats PRIVATE ${LH_VIP_KEY_INC})
target_include_directories(lh_formats PRIVATE ${PROJECT_BINARY_DIR}/generated)

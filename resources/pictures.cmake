# Included by the top-level CMakeLists.txt, whose program library compiles the table.
# The pictures are baked at build time into ready pixels (bakepictures.cpp), so that the
# program decodes none and loads no image-format plugin when it starts. resources.qrc is
# the one list of pictures: whatever it names is baked.
add_executable(bakepictures resources/bakepictures.cpp)
target_link_libraries(bakepictures PRIVATE Qt6::Widgets mensurio_options)

set(MENSURIO_QRC "${PROJECT_SOURCE_DIR}/resources/resources.qrc")
file(READ "${MENSURIO_QRC}" qrc_text)
string(REGEX MATCHALL ">[^<>]+</file>" qrc_files "${qrc_text}")
list(TRANSFORM qrc_files REPLACE "^>(.*)</file>$" "${PROJECT_SOURCE_DIR}/resources/\\1")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${MENSURIO_QRC}")

set(baked_table "${PROJECT_BINARY_DIR}/resources/pictures.cpp")
set(baked_pixels "${PROJECT_BINARY_DIR}/resources/pictures.bin")
add_custom_command(OUTPUT "${baked_table}" "${baked_pixels}"
  # A leak report from a sanitizer build of the tool would fail the build for nothing.
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:bakepictures> "${MENSURIO_QRC}" "${baked_table}" "${baked_pixels}"
  DEPENDS bakepictures "${MENSURIO_QRC}" ${qrc_files}
  COMMENT "Baking the pictures")
set_source_files_properties("${baked_table}" PROPERTIES OBJECT_DEPENDS "${baked_pixels}" SKIP_AUTOGEN ON)
set(MENSURIO_BAKED_PICTURES "${baked_table}")

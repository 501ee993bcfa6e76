# Included by the top-level CMakeLists.txt, whose ui library compiles the rows. Debian's
# Tahoma (fonts-wine) is described for fontconfig at build time (describefonts.cpp), so that
# the program hands fontconfig the faces at start-up without reading and measuring the files.
find_package(Fontconfig REQUIRED)
add_executable(describefonts resources/describefonts.cpp)
target_link_libraries(describefonts PRIVATE Fontconfig::Fontconfig mensurio_options)

set(MENSURIO_TAHOMA_FILES /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf)
set(described_fonts "${PROJECT_BINARY_DIR}/fonts/tahomafiles.inc")
# Made again when a file described is changed, or appears or goes after a new cmake run.
set(described_files)
foreach(file IN LISTS MENSURIO_TAHOMA_FILES)
  if(EXISTS "${file}")
    list(APPEND described_files "${file}")
  endif()
endforeach()
add_custom_command(OUTPUT "${described_fonts}"
  COMMAND ${CMAKE_COMMAND} -E make_directory "${PROJECT_BINARY_DIR}/fonts"
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:describefonts> "${described_fonts}" ${MENSURIO_TAHOMA_FILES}
  DEPENDS describefonts ${described_files}
  COMMENT "Describing Tahoma for fontconfig")
set_source_files_properties("${described_fonts}" PROPERTIES SKIP_AUTOGEN ON HEADER_FILE_ONLY ON)
set(MENSURIO_DESCRIBED_FONTS "${described_fonts}")

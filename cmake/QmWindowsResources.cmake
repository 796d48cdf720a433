# Windows resources of a program: its icon (made from the SVG of packaging/icons with ImageMagick at build
# time, in the sizes Explorer and the taskbar use) and its version information (shown in the file's properties).
find_program(QM_MAGICK convert REQUIRED NO_CMAKE_FIND_ROOT_PATH)

function(qm_windows_resources target svg description)
  set(ico ${CMAKE_CURRENT_BINARY_DIR}/${target}.ico)
  add_custom_command(OUTPUT ${ico}
    COMMAND ${QM_MAGICK} -background none ${svg} -define icon:auto-resize=256,64,48,32,24,16 ${ico}
    DEPENDS ${svg} VERBATIM)
  set(QM_RC_ICON ${ico})
  set(QM_RC_DESCRIPTION ${description})
  set(QM_RC_NAME ${target})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/program.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES OBJECT_DEPENDS ${ico})
endfunction()

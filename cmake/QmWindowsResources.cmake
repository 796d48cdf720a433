# Windows resources of a program: its icon (drawn from the SVG of packaging/icons at build time, in the sizes
# Explorer and the taskbar use) and its version information (shown in the file's properties).
# The icon needs rsvg-convert (Debian librsvg2-bin) and ImageMagick's convert (imagemagick), both installed by
# scripts/install-windows-deps.sh; a machine without them is told so when the build is configured.
function(qm_find_icon_tool variable program package)
  find_program(${variable} ${program} NO_CMAKE_FIND_ROOT_PATH)
  if(NOT ${variable})
    message(FATAL_ERROR "The Windows icons are made with ${program}, which is not installed: install the Debian "
                        "package ${package} (scripts/install-windows-deps.sh does).")
  endif()
endfunction()
qm_find_icon_tool(QM_RSVG rsvg-convert librsvg2-bin)
qm_find_icon_tool(QM_MAGICK convert imagemagick)

# A build step that makes `ico` from `svg`.
function(qm_windows_icon ico svg)
  add_custom_command(OUTPUT ${ico}
    COMMAND ${CMAKE_COMMAND} -DRSVG=${QM_RSVG} -DMAGICK=${QM_MAGICK} -DSVG=${svg} -DICO=${ico}
            -P ${PROJECT_SOURCE_DIR}/cmake/MakeWindowsIcon.cmake
    DEPENDS ${svg} ${PROJECT_SOURCE_DIR}/cmake/MakeWindowsIcon.cmake VERBATIM)
endfunction()

function(qm_windows_resources target svg description)
  set(ico ${CMAKE_CURRENT_BINARY_DIR}/${target}.ico)
  qm_windows_icon(${ico} ${svg})
  set(QM_RC_ICON ${ico})
  set(QM_RC_DESCRIPTION ${description})
  set(QM_RC_NAME ${target})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/program.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
  set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/${target}.rc PROPERTIES OBJECT_DEPENDS ${ico})
endfunction()

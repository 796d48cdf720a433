# Makes a Windows icon from an SVG: rsvg-convert draws the picture at each size Explorer and the taskbar use,
# and ImageMagick packs those PNGs into one .ico. Run as a script at build time:
#   cmake -DRSVG=… -DMAGICK=… -DSVG=in.svg -DICO=out.ico -P MakeWindowsIcon.cmake
# ImageMagick is never asked to read the SVG itself: it would hand it to whichever SVG delegate the machine has,
# and fail with a message about a temporary file when it has none.
cmake_minimum_required(VERSION 3.20)

foreach(input RSVG MAGICK SVG ICO)
  if(NOT DEFINED ${input})
    message(FATAL_ERROR "MakeWindowsIcon.cmake needs -D${input}=…")
  endif()
endforeach()

set(sizes 256 64 48 32 24 16)
get_filename_component(name ${ICO} NAME_WE)
get_filename_component(folder ${ICO} DIRECTORY)
set(work ${folder}/${name}.icon-sizes)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})

set(pngs)
foreach(size ${sizes})
  set(png ${work}/${size}.png)
  execute_process(COMMAND ${RSVG} --width=${size} --height=${size} --keep-aspect-ratio --background-color=none
                          --format=png --output=${png} ${SVG}
                  RESULT_VARIABLE status ERROR_VARIABLE error)
  if(NOT status EQUAL 0 OR NOT EXISTS ${png})
    message(FATAL_ERROR "rsvg-convert could not draw ${SVG} at ${size} pixels (status ${status}): ${error}")
  endif()
  list(APPEND pngs ${png})
endforeach()

# Written beside the target first and renamed, so an interrupted build never leaves half an icon behind.
set(partial ${ICO}.partial)
# The ICO: prefix names the format, which the temporary name does not.
execute_process(COMMAND ${MAGICK} ${pngs} ICO:${partial} RESULT_VARIABLE status ERROR_VARIABLE error)
if(NOT status EQUAL 0 OR NOT EXISTS ${partial})
  file(REMOVE ${partial})
  message(FATAL_ERROR "ImageMagick (convert) could not pack the PNGs of ${SVG} into ${ICO} "
                      "(status ${status}): ${error}")
endif()
file(RENAME ${partial} ${ICO})
file(REMOVE_RECURSE ${work})

# The HTML pages and their pictures as one resource object: the pictures are
# drawn from resources/html/images.src, then windres compiles html.rc.
# Executables that show the pages add ${CW_HTML_RES} to their sources.
set(CW_HTML_SRC ${CMAKE_SOURCE_DIR}/resources/html)
set(CW_HTML_OUT ${CMAKE_BINARY_DIR}/generated/html)
set(CW_HTML_IMAGES checked.gif unchecked.gif plus.gif minus.gif white.gif item.gif process.gif registry.gif
  files.gif hosts.gif cookies.gif minus.png plus.png scan_animation.gif)
list(TRANSFORM CW_HTML_IMAGES PREPEND ${CW_HTML_OUT}/)
add_custom_command(OUTPUT ${CW_HTML_IMAGES}
  COMMAND ${CW_HOST_PYTHON} ${CMAKE_SOURCE_DIR}/tools/htmlimages.py ${CW_HTML_SRC}/images.src ${CW_HTML_OUT}
  DEPENDS ${CW_HTML_SRC}/images.src ${CMAKE_SOURCE_DIR}/tools/htmlimages.py
  COMMENT "Drawing the HTML pages' pictures")
set(CW_HTML_RES ${CW_HTML_OUT}/html_res.o)
file(GLOB CW_HTML_PAGES CONFIGURE_DEPENDS ${CW_HTML_SRC}/*.html)
add_custom_command(OUTPUT ${CW_HTML_RES}
  COMMAND ${CMAKE_RC_COMPILER} -O coff -I ${CW_HTML_SRC} -I ${CW_HTML_OUT} -i ${CW_HTML_SRC}/html.rc -o ${CW_HTML_RES}
  DEPENDS ${CW_HTML_SRC}/html.rc ${CW_HTML_PAGES} ${CW_HTML_IMAGES} VERBATIM)
set_source_files_properties(${CW_HTML_RES} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
add_custom_target(html_resources DEPENDS ${CW_HTML_RES})

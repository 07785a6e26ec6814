# Resources of our own making. A target's resource scripts are compiled by
# windres into object files that become the target's own sources: a
# resource inside a static library would never be pulled into a link.
#
#   cw_resources(<target> RC <script.rc>... [IMAGES <picture.pix>...] [DEPENDS <file>...])
#
# Each picture "name.bmp.pix", "name.ico.pix" or "name.cur.pix" is drawn by
# tools/pixtool.py into "name.bmp", "name.ico" or "name.cur" in the target's
# resource folder, where the scripts find it by that name. Scripts see the
# source root and their own folder as include paths, so the headers with the
# resource ids are shared by the scripts and the C++ code.

function(cw_resources target)
  cmake_parse_arguments(ARG "" "" "RC;IMAGES;DEPENDS" ${ARGN})
  set(out ${CMAKE_BINARY_DIR}/resources/${target})
  file(MAKE_DIRECTORY ${out})
  set(tool ${CMAKE_SOURCE_DIR}/tools/pixtool.py)
  set(images)
  foreach(pix ${ARG_IMAGES})
    get_filename_component(pix ${pix} ABSOLUTE)
    get_filename_component(name ${pix} NAME)
    string(REGEX REPLACE "\\.pix$" "" name ${name})
    add_custom_command(OUTPUT ${out}/${name}
      COMMAND ${CW_HOST_PYTHON} ${tool} ${pix} ${out}/${name}
      DEPENDS ${pix} ${tool}
      COMMENT "Drawing ${name}" VERBATIM)
    list(APPEND images ${out}/${name})
  endforeach()
  foreach(rc ${ARG_RC})
    get_filename_component(rc ${rc} ABSOLUTE)
    get_filename_component(rcdir ${rc} DIRECTORY)
    get_filename_component(rcname ${rc} NAME_WE)
    file(GLOB headers CONFIGURE_DEPENDS ${rcdir}/*.h)
    set(obj ${out}/${rcname}_res.o)
    add_custom_command(OUTPUT ${obj}
      COMMAND ${CMAKE_RC_COMPILER} -O coff -I ${out} -I ${rcdir} -I ${CMAKE_SOURCE_DIR} -i ${rc} -o ${obj}
      DEPENDS ${rc} ${images} ${headers} ${ARG_DEPENDS}
      WORKING_DIRECTORY ${out}
      COMMENT "Compiling resources ${rcname}.rc" VERBATIM)
    set_source_files_properties(${obj} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
    target_sources(${target} PRIVATE ${obj})
  endforeach()
endfunction()

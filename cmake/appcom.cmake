# The program's own type library and its COM server resources. Needs the
# widl settings of idl.cmake.
#
#   cw_app_idl(<library>)
#     widl makes app/telmincleanwarden.idl into "app/telmincleanwarden.h",
#     the GUID definitions (compiled into the library) and the type library.
#
#   cw_com_server_resources(<executable>)
#     The executable is the program's COM server: its TYPELIB 1 is the
#     program's type library, the engine's moves to TYPELIB 2 (with the
#     engine's string table), and it carries the registry scripts 103 and 105.
#     The engine's own resource object (TYPELIB 1 = engine) stays out of it;
#     other executables that link the engine keep that one.

set(CW_APP_IDL_OUT ${CMAKE_BINARY_DIR}/generated/app)
file(MAKE_DIRECTORY ${CW_APP_IDL_OUT})

function(cw_app_idl target)
  set(idl ${CMAKE_SOURCE_DIR}/app/telmincleanwarden.idl)
  set(widl ${CW_WIDL} ${CW_WIDL_ARCH} -I${CW_WINE_IDL_DIR} -L${CW_STDOLE_DIR})
  set(hdr ${CW_APP_IDL_OUT}/telmincleanwarden.h)
  set(iid ${CW_APP_IDL_OUT}/telmincleanwarden_i.c)
  set(tlb ${CW_APP_IDL_OUT}/telmincleanwarden.tlb)
  add_custom_command(OUTPUT ${hdr} COMMAND ${widl} -h -o ${hdr} ${idl} DEPENDS ${idl} VERBATIM)
  add_custom_command(OUTPUT ${iid} COMMAND ${widl} -u -o ${iid} ${idl} DEPENDS ${idl} VERBATIM)
  add_custom_command(OUTPUT ${tlb} COMMAND ${widl} -t -o ${tlb} ${idl} DEPENDS ${idl} VERBATIM)
  set_source_files_properties(${iid} PROPERTIES COMPILE_OPTIONS "-w")
  add_custom_target(${target}_idl DEPENDS ${hdr} ${iid} ${tlb})
  target_sources(${target} PRIVATE ${hdr} ${iid})
  target_include_directories(${target} PUBLIC ${CMAKE_BINARY_DIR}/generated)
  add_dependencies(${target} ${target}_idl)
endfunction()

function(cw_com_server_resources target)
  set(out ${CMAKE_BINARY_DIR}/resources/${target})
  file(MAKE_DIRECTORY ${out})
  set(rc ${out}/comserver_typelibs.rc)
  file(WRITE ${rc}.in
    "1 TYPELIB \"${CW_APP_IDL_OUT}/telmincleanwarden.tlb\"\n"
    "2 TYPELIB \"${CW_IDL_OUT}/mothtrap.tlb\"\n"
    "#include \"engine.rc\"\n"
    "#include \"comserver.rc\"\n")
  configure_file(${rc}.in ${rc} COPYONLY)
  set(res ${out}/comserver_typelibs_res.o)
  set(sources ${CMAKE_SOURCE_DIR}/resources)
  add_custom_command(OUTPUT ${res}
    COMMAND ${CMAKE_RC_COMPILER} -O coff -I ${sources} -I ${CMAKE_SOURCE_DIR}/engine -I ${CMAKE_SOURCE_DIR}
            -i ${rc} -o ${res}
    DEPENDS ${rc} ${CW_APP_IDL_OUT}/telmincleanwarden.tlb ${CW_IDL_OUT}/mothtrap.tlb
            ${CMAKE_SOURCE_DIR}/engine/engine.rc ${sources}/comserver.rc ${CMAKE_SOURCE_DIR}/app/comserverids.h
            ${sources}/registry/appid.rgs ${sources}/registry/cleanwardenapplication.rgs
    WORKING_DIRECTORY ${sources} VERBATIM)
  set_source_files_properties(${res} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
  target_sources(${target} PRIVATE ${res})
  set_target_properties(${target} PROPERTIES CW_OWN_TYPELIB ON)
endfunction()

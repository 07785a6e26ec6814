# The engine's interfaces: widl turns engine/mothtrap.idl into a header, the
# GUID definitions, NDR proxy/stubs and the type library; windres wraps the
# type library into a resource object that every executable linking the
# engine receives (it is an INTERFACE source of the engine library, because a
# resource inside a static library is never pulled into a link).

find_program(CW_WIDL NAMES ${MINGW_TRIPLE}-widl widl REQUIRED)
find_path(CW_WINE_IDL_DIR oaidl.idl PATHS /usr/include/wine/wine/windows /usr/include/wine/windows
  NO_CMAKE_FIND_ROOT_PATH REQUIRED)
# stdole2.tlb for importlib; the type library only refers to it by name.
find_path(CW_STDOLE_DIR stdole2.tlb PATHS
  /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/i386-linux-gnu/wine/i386-windows
  /usr/lib/wine/x86_64-windows /usr/lib/wine/i386-windows
  NO_CMAKE_FIND_ROOT_PATH REQUIRED)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CW_WIDL_ARCH --win64)
else()
  set(CW_WIDL_ARCH --win32)
endif()

set(CW_IDL_OUT ${CMAKE_BINARY_DIR}/generated/engine)
file(MAKE_DIRECTORY ${CW_IDL_OUT})

function(cw_engine_idl target)
  set(idl ${CMAKE_SOURCE_DIR}/engine/mothtrap.idl)
  set(deps ${idl} ${CMAKE_SOURCE_DIR}/engine/engineguids.h)
  set(widl ${CW_WIDL} ${CW_WIDL_ARCH} -I${CW_WINE_IDL_DIR} -I${CMAKE_SOURCE_DIR}/engine -L${CW_STDOLE_DIR})
  set(hdr ${CW_IDL_OUT}/mothtrap.h)
  set(iid ${CW_IDL_OUT}/mothtrap_i.c)
  set(prx ${CW_IDL_OUT}/mothtrap_p.c)
  set(tlb ${CW_IDL_OUT}/mothtrap.tlb)
  add_custom_command(OUTPUT ${hdr} COMMAND ${widl} -h -o ${hdr} ${idl} DEPENDS ${deps} VERBATIM)
  add_custom_command(OUTPUT ${iid} COMMAND ${widl} -u -o ${iid} ${idl} DEPENDS ${deps} VERBATIM)
  # Fully interpreted stubs: no per-method exception frames to compile.
  # MOTHTRAP_NDR: byte arrays as LPSAFEARRAY (see mothtrap.idl).
  add_custom_command(OUTPUT ${prx} COMMAND ${widl} -Oif -DMOTHTRAP_NDR -p -o ${prx} ${idl} DEPENDS ${deps} VERBATIM)
  add_custom_command(OUTPUT ${tlb} COMMAND ${widl} -t -o ${tlb} ${idl} DEPENDS ${deps} VERBATIM)

  # MinGW's unknwnbase.h declares the IUnknown proxies for C++ only.
  set(wrap ${CW_IDL_OUT}/mothtrap_proxy.c)
  file(WRITE ${wrap}.in
    "#include <objbase.h>\n"
    "HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown*, REFIID, void**);\n"
    "ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown*);\n"
    "ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown*);\n"
    "#include \"mothtrap_p.c\"\n"
    "static const ProxyFileInfo* mothtrap_proxy_files[] = { (const ProxyFileInfo*)&mothtrap_ProxyFileInfo, 0 };\n"
    "static CStdPSFactoryBuffer mothtrap_ps_factory;\n"
    "CSTDSTUBBUFFERRELEASE(&mothtrap_ps_factory)\n"
    "HRESULT MothtrapGetProxyStubClassObject(REFCLSID clsid, REFIID iid, void** ppv)\n"
    "{\n    return NdrDllGetClassObject(clsid, iid, ppv, mothtrap_proxy_files, &IID_ISearchItem, &mothtrap_ps_factory);\n}\n")
  configure_file(${wrap}.in ${wrap} COPYONLY)
  set_source_files_properties(${wrap} PROPERTIES OBJECT_DEPENDS "${prx};${hdr}" COMPILE_OPTIONS "-w")
  set_source_files_properties(${iid} PROPERTIES COMPILE_OPTIONS "-w")

  # TYPELIB 1 of the executable and the engine's string table; an executable
  # with a type library of its own at 1 (CW_OWN_TYPELIB, see appcom.cmake)
  # brings the engine's resources itself.
  set(rc ${CW_IDL_OUT}/mothtrap.rc)
  file(WRITE ${rc}.in "1 TYPELIB \"mothtrap.tlb\"\n#include \"engine.rc\"\n")
  configure_file(${rc}.in ${rc} COPYONLY)
  set(res ${CW_IDL_OUT}/mothtrap_res.o)
  add_custom_command(OUTPUT ${res}
    COMMAND ${CMAKE_RC_COMPILER} -O coff -I ${CW_IDL_OUT} -I ${CMAKE_SOURCE_DIR}/engine -i ${rc} -o ${res}
    DEPENDS ${rc} ${tlb} ${CMAKE_SOURCE_DIR}/engine/engine.rc WORKING_DIRECTORY ${CW_IDL_OUT} VERBATIM)
  set_source_files_properties(${res} PROPERTIES EXTERNAL_OBJECT TRUE GENERATED TRUE)
  add_custom_target(${target}_idl DEPENDS ${hdr} ${iid} ${prx} ${tlb} ${res})

  target_sources(${target} PRIVATE ${hdr} ${iid} ${wrap})
  target_sources(${target} INTERFACE $<$<NOT:$<BOOL:$<TARGET_PROPERTY:CW_OWN_TYPELIB>>>:${res}>)
  target_include_directories(${target} PUBLIC ${CMAKE_BINARY_DIR}/generated ${CW_IDL_OUT})
  add_dependencies(${target} ${target}_idl)
endfunction()

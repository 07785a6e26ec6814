# TinyXML and LZO come from Debian's source packages, fetched by scripts/setup into
# third_party/cache; they are compiled here as static libraries, never committed.
set(TP_CACHE ${CMAKE_SOURCE_DIR}/third_party/cache)

file(GLOB TINYXML_DIR LIST_DIRECTORIES true ${TP_CACHE}/tinyxml-2.6.2*)
if(NOT TINYXML_DIR)
  message(FATAL_ERROR "TinyXML sources missing: run scripts/setup")
endif()
add_library(tinyxml STATIC
  ${TINYXML_DIR}/tinyxml.cpp ${TINYXML_DIR}/tinyxmlparser.cpp
  ${TINYXML_DIR}/tinyxmlerror.cpp ${TINYXML_DIR}/tinystr.cpp)
target_include_directories(tinyxml SYSTEM PUBLIC ${TINYXML_DIR})
target_compile_definitions(tinyxml PUBLIC TIXML_USE_STL)
target_compile_options(tinyxml PRIVATE -w)

file(GLOB LZO_DIR LIST_DIRECTORIES true ${TP_CACHE}/lzo2-2.10*)
if(NOT LZO_DIR)
  message(FATAL_ERROR "LZO sources missing: run scripts/setup")
endif()
file(GLOB LZO_SOURCES ${LZO_DIR}/src/*.c)
add_library(lzo STATIC ${LZO_SOURCES})
target_include_directories(lzo SYSTEM PUBLIC ${LZO_DIR}/include)
target_include_directories(lzo PRIVATE ${LZO_DIR}/src ${LZO_DIR})
target_compile_options(lzo PRIVATE -w)

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

# GoogleTest from Debian's googletest sources.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

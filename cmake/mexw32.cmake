# The Windows form of each module, included by CMakeLists.txt in a MinGW build
# (cmake/mingw-i686.cmake): NAME.mexw32, a DLL whose export table holds _mexFunction at ordinal 1
# and nothing else, importing libmx.dll, libmex.dll and system DLLs only.
#
# libmx.dll and libmex.dll are our host layer with the 32-bit indices of the original host.
# mexErrMsgTxt throws a C++ exception in libmex.dll that unwinds through the module into
# hostlayer::call in libmx.dll. The host side therefore shares one unwinder and one C++ runtime,
# the DLLs libgcc_s_dw2-1.dll and libstdc++-6.dll (with libwinpthread-1.dll). A module links
# libgcc and libstdc++ statically (it imports nothing else), and its start-up code registers its
# unwind tables with the libgcc_s_dw2-1.dll already loaded by the host, so the exception crosses
# it. A static runtime in the host DLLs as well would give each its own unwinder, and the first
# error would end the process in std::terminate.

set(MINGW_RUNTIME_DIR "" CACHE PATH "Folder of libgcc_s_dw2-1.dll and libstdc++-6.dll")
if(NOT MINGW_RUNTIME_DIR)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
                  OUTPUT_VARIABLE runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(runtime_dir ${runtime} DIRECTORY)
  set(MINGW_RUNTIME_DIR ${runtime_dir} CACHE PATH "" FORCE)
endif()
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libwinpthread-1.dll
                OUTPUT_VARIABLE MINGW_PTHREAD_DLL OUTPUT_STRIP_TRAILING_WHITESPACE)
set(MINGW_RUNTIME_DLLS ${MINGW_RUNTIME_DIR}/libgcc_s_dw2-1.dll ${MINGW_RUNTIME_DIR}/libstdc++-6.dll
                       ${MINGW_PTHREAD_DLL})
set(MEXW32_DIR ${CMAKE_BINARY_DIR}/mexw32)

add_library(mx SHARED hostlayer/src/mx.cpp)
target_include_directories(mx PUBLIC hostlayer/include)
target_compile_definitions(mx PUBLIC HOSTLAYER_INDEX_INT32)
add_library(mex SHARED hostlayer/src/mex.cpp)
target_link_libraries(mex PUBLIC mx)
foreach(lib mx mex)
  set_target_properties(${lib} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${MEXW32_DIR})
  target_link_options(${lib} PRIVATE -shared-libgcc)
endforeach()

set(MEXW32_MODULES "")
foreach(m IN LISTS PRESENT_MODULES)
  add_library(${m}_mexw32 MODULE modules/${m}.cpp)
  target_include_directories(${m}_mexw32 PRIVATE ${MODULE_INCLUDES})
  target_link_libraries(${m}_mexw32 PRIVATE mx mex)
  set_target_properties(${m}_mexw32 PROPERTIES PREFIX "" OUTPUT_NAME ${m} SUFFIX ".mexw32"
                        LIBRARY_OUTPUT_DIRECTORY ${MEXW32_DIR})
  target_link_options(${m}_mexw32 PRIVATE -static-libgcc -static-libstdc++
                      ${CMAKE_SOURCE_DIR}/common/mexw32.def)
  set_property(TARGET ${m}_mexw32 APPEND PROPERTY LINK_DEPENDS
               ${CMAKE_SOURCE_DIR}/common/mexw32.def)
  add_test(NAME exports_${m}
           COMMAND ${CMAKE_SOURCE_DIR}/tools/check-mexw32.sh $<TARGET_FILE:${m}_mexw32>)
  list(APPEND MEXW32_MODULES ${m}_mexw32)
endforeach()
add_custom_target(mexw32 DEPENDS ${MEXW32_MODULES})

# Test programs holding the host layer and one module carry their runtime with them.
foreach(w IN LISTS WIDTHS)
  foreach(m IN LISTS PRESENT_MODULES)
    target_link_options(test_${m}_${w} PRIVATE -static)
  endforeach()
  target_link_options(test_frame_${w} PRIVATE -static)
endforeach()

# Loads the built modules as the host does; runs beside the host DLLs and their runtime.
file(COPY ${MINGW_RUNTIME_DLLS} DESTINATION ${MEXW32_DIR})
add_executable(test_loaded_mexw32 tests/mexw32_loaded_test.cpp)
target_link_libraries(test_loaded_mexw32 PRIVATE mx mex GTest::gtest)
target_link_options(test_loaded_mexw32 PRIVATE -shared-libgcc)
set_target_properties(test_loaded_mexw32 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${MEXW32_DIR})
add_dependencies(test_loaded_mexw32 ${MEXW32_MODULES})
add_test(NAME loaded COMMAND test_loaded_mexw32 Z:${MEXW32_DIR})

# Under wine, every test program shares one prefix inside the build folder, made without the
# .NET and browser components that wine would otherwise offer to install.
get_property(MEXW32_TESTS DIRECTORY PROPERTY TESTS)
set(WINE_ENVIRONMENT WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEDEBUG=-all
                     WINEDLLOVERRIDES=mscoree,mshtml=)
set_tests_properties(${MEXW32_TESTS} PROPERTIES ENVIRONMENT "${WINE_ENVIRONMENT}")

# Linux on 32-bit x86, cross-built on x86-64 with the multilib compilers (g++ -m32):
#   cmake -S . -B build/forms-linux32 -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i686.cmake
# The build makes NAME.mexglx and runs the gateway and kernel tests as 32-bit programs. Double
# arithmetic is SSE2 (-msse2 -mfpmath=sse, added by CMakeLists.txt for every 32-bit x86 build).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_EXE_LINKER_FLAGS_INIT -m32)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -m32)
set(CMAKE_MODULE_LINKER_FLAGS_INIT -m32)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)

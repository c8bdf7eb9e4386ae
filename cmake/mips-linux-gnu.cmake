# Cross build for the gateway: 32-bit big-endian MIPS, Debian's mips-linux-gnu
# toolchain. Test binaries run under qemu-user with the cross C library.
#   cmake -S . -B build-mips -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mips-linux-gnu.cmake \
#         -DWY_HOST_GWSIM=$PWD/build/bin/gwsim
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR mips)

set(WY_TARGET_TRIPLE mips-linux-gnu)
set(WY_TARGET_SYSROOT /usr/mips-linux-gnu CACHE PATH "Root of the target's C library")

set(CMAKE_C_COMPILER ${WY_TARGET_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${WY_TARGET_TRIPLE}-g++)
set(CMAKE_STRIP ${WY_TARGET_TRIPLE}-strip CACHE FILEPATH "")
set(CMAKE_READELF ${WY_TARGET_TRIPLE}-readelf CACHE FILEPATH "")

# Debian's cross compilers know their own headers and libraries; a --sysroot
# would point them at a usr/ tree that this layout does not have.
set(CMAKE_FIND_ROOT_PATH ${WY_TARGET_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-mips -L ${WY_TARGET_SYSROOT})

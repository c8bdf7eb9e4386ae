# Build helpers shared by every component.

set(WY_WARNINGS -Wall -Wextra)

if(WY_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
if(WY_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "WY_FUZZ needs clang (CMAKE_C_COMPILER=clang CMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Binaries find libwyapi.so.1 beside them in the build tree (bin/../lib) and in
# the firmware tree (userfs/bin/../../lib). Firmware builds use the system paths.
if(NOT CMAKE_CROSSCOMPILING)
  set(CMAKE_BUILD_RPATH "\$ORIGIN/../lib:\$ORIGIN/../../lib")
  set(CMAKE_INSTALL_RPATH "\$ORIGIN/../../lib")
endif()

# Flags every deliverable (what ships on the gateway) gets: no exceptions, no RTTI,
# the C++ runtime linked in so only the C library is needed at run time.
function(wy_deliverable_flags target)
  target_compile_options(${target} PRIVATE ${WY_WARNINGS}
    $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
  if(WY_SYSROOT_PREFIX)
    target_compile_definitions(${target} PRIVATE WY_SYSROOT_PREFIX=1)
  endif()
  get_target_property(type ${target} TYPE)
  if(NOT type STREQUAL "STATIC_LIBRARY" AND NOT WY_SANITIZE AND NOT WY_FUZZ)
    target_link_options(${target} PRIVATE -static-libstdc++ -static-libgcc)
  endif()
  if(CMAKE_CROSSCOMPILING)
    # Flash is small: optimise for size, and let the final link drop every
    # function and object nobody calls, the libraries' ones included.
    target_compile_options(${target} PRIVATE -Os -ffunction-sections -fdata-sections)
    if(NOT type STREQUAL "STATIC_LIBRARY")
      target_link_options(${target} PRIVATE -Wl,--gc-sections)
    endif()
  endif()
endfunction()

# wy_install(<target> <dir> [sim]): install into the firmware tree under <dir>
# (userfs/bin, userfs/cgi-bin, lib, sbin ...) and stage a copy in
# ${CMAKE_BINARY_DIR}/fwroot/<dir>, the tree a simulated gateway is created from.
# "sim" marks a platform stand-in: staged for the simulator, installed only with
# the "sim" component, never part of the firmware component.
function(wy_install target dir)
  set(component firmware)
  if(ARGC GREATER 2 AND ARGV2 STREQUAL "sim")
    set(component sim)
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    install(TARGETS ${target} LIBRARY DESTINATION ${dir} NAMELINK_SKIP COMPONENT ${component})
    set(file $<TARGET_SONAME_FILE_NAME:${target}>)
  else()
    install(TARGETS ${target} DESTINATION ${dir} COMPONENT ${component})
    set(file $<TARGET_FILE_NAME:${target}>)
  endif()
  if(component STREQUAL "firmware")
    set_property(GLOBAL APPEND PROPERTY WY_DELIVERABLES "${dir}/${file}")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/fwroot/${dir}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${CMAKE_BINARY_DIR}/fwroot/${dir}/${file}
    VERBATIM)
endfunction()

# Every deliverable installed with wy_install, one path a line relative to the
# firmware tree: ${CMAKE_BINARY_DIR}/deliverables.txt, written once the whole
# project is configured. The footprint check fails for any of them missing.
function(wy_write_deliverables)
  get_property(files GLOBAL PROPERTY WY_DELIVERABLES)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/deliverables.txt CONTENT "$<JOIN:${files},\n>\n")
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL wy_write_deliverables)

# Cross builds: a simulated gateway lays the target's staged tree (and, where
# MIPS programs cannot be run directly, the wrappers beside it) over the native
# one, which holds the stand-ins; so programs run inside it are the target's.
if(CMAKE_CROSSCOMPILING AND WY_HOST_GWSIM)
  get_filename_component(host_bin ${WY_HOST_GWSIM} DIRECTORY)
  get_filename_component(WY_HOST_FWROOT ${host_bin}/../fwroot ABSOLUTE)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fwroot ${CMAKE_BINARY_DIR}/fwroot-qemu)
  set(WY_TARGET_TEST_ENV
    "WY_FWROOT=${WY_HOST_FWROOT}:${CMAKE_BINARY_DIR}/fwroot:${CMAKE_BINARY_DIR}/fwroot-qemu")
endif()

# wy_gtest(<name> SOURCES ... LIBS ... [LABELS ...]): a GoogleTest binary whose
# cases are registered one by one at test time (works under an emulator too).
function(wy_gtest name)
  if(NOT WY_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_compile_options(${name} PRIVATE ${WY_WARNINGS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock
    wy_testsupport $<TARGET_NAME_IF_EXISTS:wy_target_test>)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set(props TIMEOUT 300)
  if(WY_TARGET_TEST_ENV)
    list(APPEND props ENVIRONMENT "${WY_TARGET_TEST_ENV}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ${props})
  # Discovery writes a list-valued property out unquoted, so labels are set
  # afterwards, on the test list it leaves (<name>_TESTS), or all but the first
  # label and the properties after them would be lost.
  set(labels_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
  file(WRITE ${labels_file} "if(${name}_TESTS)\n"
    "  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"unit;${T_LABELS}\")\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_file})
endfunction()

# wy_fuzz(<name> SOURCES ... LIBS ... CORPUS <dir>): a libFuzzer target (WY_FUZZ
# builds only), with a short smoke run registered as a test labelled "fuzz". The
# run starts from the committed seed inputs in <dir>, which must hold some; what
# it finds goes to the build tree, never into <dir>.
set(WY_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzz target runs in the test suite")
function(wy_fuzz name)
  if(NOT WY_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "SOURCES;LIBS;CORPUS" ${ARGN})
  file(GLOB seeds ${F_CORPUS}/*)
  if(NOT F_CORPUS OR NOT seeds)
    message(FATAL_ERROR "wy_fuzz(${name}): no committed seed corpus (CORPUS '${F_CORPUS}')")
  endif()
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE ${WY_WARNINGS})
  target_link_libraries(${name} PRIVATE ${F_LIBS} wy_testsupport)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  set(corpus ${CMAKE_BINARY_DIR}/fuzz/${name}.corpus)
  add_test(NAME fuzz.${name}
    COMMAND ${CMAKE_COMMAND} -E env UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
      $<TARGET_FILE:${name}> -max_total_time=${WY_FUZZ_SECONDS} -timeout=10
      -rss_limit_mb=2048 ${corpus} ${F_CORPUS})
  set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz TIMEOUT 600)
  file(MAKE_DIRECTORY ${corpus})
endfunction()

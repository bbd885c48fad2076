# The version header, and the build of the programs as they are shipped.

set(BRINDLE_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_CURRENT_LIST_DIR}/BrindleVersion.h.in ${BRINDLE_GENERATED_DIR}/BrindleVersion.h @ONLY)

# scripts/package.sh turns this on in a build folder of its own: code optimised for size,
# every function and datum in its own section so that the linker can drop the unused ones,
# and no symbols. Ordinary builds and the tests keep their flags.
option(BRINDLE_PACKAGE_BUILD "Build the shipped programs only, size-optimised and stripped" OFF)
if(BRINDLE_PACKAGE_BUILD)
    add_compile_options(-Os -ffunction-sections -fdata-sections)
    add_link_options(-Wl,--gc-sections -s)
endif()

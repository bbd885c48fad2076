# Prints a built program's size beside its budget, after every build:
#   cmake -DPROGRAM=<file> -DBUDGET_KB=<n> -P PrintSize.cmake
file(SIZE "${PROGRAM}" bytes)
math(EXPR kb "(${bytes} + 1023) / 1024")
get_filename_component(name "${PROGRAM}" NAME)
if(kb GREATER BUDGET_KB)
    message(WARNING "${name}: ${bytes} bytes (${kb} KB), over its budget of ${BUDGET_KB} KB")
else()
    message(STATUS "${name}: ${bytes} bytes (${kb} KB), budget ${BUDGET_KB} KB")
endif()

# Fails the build when a DLL does not export a symbol under its bare name. The engine finds the
# entry points with GetProcAddress by bare name, and the 32-bit build, which is never run here,
# would otherwise only show a stdcall-decorated name at the user's first click.
#   cmake -DOBJDUMP=... -DDLL=... -DSYMBOL=... -P CheckExport.cmake
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE table RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "cannot read the export table of ${DLL}")
endif()
if(NOT table MATCHES "\\] ${SYMBOL}\n")
    message(FATAL_ERROR "${DLL} does not export ${SYMBOL} under its bare name")
endif()

# From the windows module, the linker options that give the executable what the module resolves from
# it: every symbol the module leaves undefined or defines weakly is pulled out of the static libraries
# (--undefined) and exported (--dynamic-list), and nothing else is, so that one copy of each piece
# serves both and the executable's symbol table stays small.
# Usage: cmake -DNM=... -DMODULE=... -DOUTPUT=... -P ModuleImports.cmake
execute_process(COMMAND ${NM} -D ${MODULE} OUTPUT_VARIABLE table COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\n" ";" lines "${table}")
set(names)
foreach(line IN LISTS lines)
    # "U name" (undefined), "<address> W|V|u name" (weak or unique, which the executable's copy wins).
    if(line MATCHES "^ *U ([^ @]+)")
        list(APPEND names ${CMAKE_MATCH_1})
    elseif(line MATCHES "^[0-9a-f]+ [WVu] ([^ @]+)")
        list(APPEND names ${CMAKE_MATCH_1})
    endif()
endforeach()
list(REMOVE_DUPLICATES names)
set(options)
set(exported "{\n")
foreach(name IN LISTS names)
    string(APPEND options "--undefined=${name}\n")
    string(APPEND exported "  ${name};\n")
endforeach()
string(APPEND exported "};\n")
get_filename_component(folder ${OUTPUT} DIRECTORY)
file(WRITE ${folder}/module-exports.list "${exported}")
string(APPEND options "--dynamic-list=${folder}/module-exports.list\n")
file(WRITE ${OUTPUT}.new "${options}")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUTPUT}.new ${OUTPUT})

# Writes the dynamic list of Install.exe: every symbol that Karvo.dll shows (its copy of the
# platform layer, which the program's copy must preempt) and the program's own export.
#   cmake -DNM=nm -DLIBRARY=Karvo.dll -DOUT=list -P DynamicList.cmake
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY} OUTPUT_VARIABLE listing
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "cannot list the symbols of ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${listing}")
set(text "{\n  GetFileSize;\n")
foreach(line ${lines})
  if(line MATCHES "^[0-9a-fA-F]* +[A-Za-z] +([A-Za-z0-9_.$]+)")
    string(APPEND text "  ${CMAKE_MATCH_1};\n")
  endif()
endforeach()
string(APPEND text "};\n")
file(WRITE ${OUT}.new "${text}")
file(COPY_FILE ${OUT}.new ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.new)

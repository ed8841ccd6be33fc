# The programs that travel inside every self-extractor are linked without symbols and without
# what nothing in them reaches: each byte of them is downloaded with every product. The
# extractor and the probe run for moments and do little, so they are also built for size.
foreach(program InstallExe Karvo HalvikExe ExtractExe)
  if(TARGET ${program})
    target_link_options(${program} PRIVATE "-s" "-Wl,--gc-sections" "-Wl,--as-needed")
  endif()
endforeach()
foreach(small HalvikExe ExtractExe vxextract)
  if(TARGET ${small})
    target_compile_options(${small} PRIVATE "-Os")
  endif()
endforeach()

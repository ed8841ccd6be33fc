# The programs that travel inside every self-extractor are linked without symbols and without
# what nothing in them reaches: each byte of them is downloaded with every product.
foreach(program InstallExe Karvo HalvikExe ExtractExe)
  if(TARGET ${program})
    target_link_options(${program} PRIVATE "-s" "-Wl,--gc-sections" "-Wl,--as-needed")
  endif()
endforeach()
# Their code has each function and datum in a section of its own, so that --gc-sections can
# leave out whatever a program does not reach.
foreach(part InstallExe Karvo HalvikExe ExtractExe vxplatform vxengine_shared vxengine_base
        vxengine_ui vxengine_actions vxengine_files vxengine_uninstall vxengine vxqtui vxqtwizard
        vxwin32ui vxwin32wizard vxpicture vxextract vxextractqt vxextractwin32)
  if(TARGET ${part})
    target_compile_options(${part} PRIVATE "-ffunction-sections" "-fdata-sections")
  endif()
endforeach()
# Built for size where speed does not matter: the windows and pages, the scripted actions,
# start-up and the driver, the pictures, the library's own exports, the extractor and the
# probe. What runs once per file of a product keeps the default optimisation: the platform
# layer (paths, files, sharing), the package reader and copy engine with its inflate, the
# settings store and journal (vxengine_base) and the uninstall's removal. (The inflating
# itself is done by zlib and libdeflate, built by their makers.)
set(VX_SIZE_TARGETS vxengine_ui vxengine_actions vxengine vxqtui vxqtwizard vxwin32ui
    vxwin32wizard vxpicture Karvo vxextract vxextractqt vxextractwin32 ExtractExe HalvikExe)
foreach(small ${VX_SIZE_TARGETS})
  if(TARGET ${small})
    target_compile_options(${small} PRIVATE "-Os")
  endif()
endforeach()

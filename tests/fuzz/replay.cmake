# The picture fuzz targets as plain tests: each entry point runs once on every seed that
# picture_fuzz_seeds writes (and on any file later added beside the seeds by hand).
set(VX_PICTURE_SEEDS ${CMAKE_BINARY_DIR}/fuzz-seeds)
add_executable(picture_fuzz_seeds ${CMAKE_CURRENT_LIST_DIR}/replay/PictureSeeds.cpp)
target_link_libraries(picture_fuzz_seeds PRIVATE vxpicturewriter)
add_test(NAME picture_fuzz_seeds COMMAND picture_fuzz_seeds ${VX_PICTURE_SEEDS})
set_tests_properties(picture_fuzz_seeds PROPERTIES FIXTURES_SETUP picture_seeds)
foreach(format Bmp Gif Jpeg)
  string(TOLOWER ${format} dir)
  if(dir STREQUAL "jpeg")
    set(dir jpg)
  endif()
  add_executable(${format}Decoder_replay ${CMAKE_CURRENT_LIST_DIR}/${format}Decoder_fuzz.cpp
                 ${CMAKE_CURRENT_LIST_DIR}/replay/ReplayMain.cpp)
  target_link_libraries(${format}Decoder_replay PRIVATE vxpicture)
  add_test(NAME ${format}Decoder_replay COMMAND ${format}Decoder_replay ${VX_PICTURE_SEEDS}/${dir})
  set_tests_properties(${format}Decoder_replay PROPERTIES FIXTURES_REQUIRED picture_seeds)
endforeach()

# delay_load(TARGET DLL...): TARGET binds these DLLs at the first call of one
# of their functions instead of at start. The import libraries of that kind
# are made from MinGW's own and found first through TARGET's link directory,
# so that every -l<dll> of its link line takes them.
find_program(QP_DLLTOOL NAMES ${CMAKE_DLLTOOL} i686-w64-mingw32-dlltool REQUIRED)
function(delay_load target)
  set(dir ${CMAKE_BINARY_DIR}/delayload)
  set(made)
  foreach(dll IN LISTS ARGN)
    find_library(QP_IMPORT_${dll} NAMES lib${dll}.a REQUIRED)
    add_custom_command(OUTPUT ${dir}/lib${dll}.a
      COMMAND sh ${CMAKE_SOURCE_DIR}/cmake/delayload.sh ${CMAKE_NM} ${QP_DLLTOOL} ${QP_IMPORT_${dll}}
        ${dll}.dll ${dir}/lib${dll}.a
      DEPENDS ${CMAKE_SOURCE_DIR}/cmake/delayload.sh ${QP_IMPORT_${dll}} VERBATIM)
    list(APPEND made ${dir}/lib${dll}.a)
  endforeach()
  file(MAKE_DIRECTORY ${dir})
  add_custom_target(${target}_delay_load DEPENDS ${made})
  add_dependencies(${target} ${target}_delay_load)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${made})
  target_link_directories(${target} BEFORE PRIVATE ${dir})
endfunction()
# The binding helper that those libraries call, after every library that may
# call it. Their reference to it is weak: left out, it links and calls 0.
string(APPEND CMAKE_CXX_STANDARD_LIBRARIES " -ldelayimp")

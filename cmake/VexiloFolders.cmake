# vexilo_add_subfolders([EXCEPT name...]): adds every subfolder of the current
# source folder that has a CMakeLists.txt, so a new component, test or
# benchmark folder joins the build by existing.
function(vexilo_add_subfolders)
  cmake_parse_arguments(F "" "" "EXCEPT" ${ARGN})
  file(GLOB entries LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(dir ${entries})
    get_filename_component(name ${dir} NAME)
    if(IS_DIRECTORY ${dir} AND EXISTS ${dir}/CMakeLists.txt AND NOT name IN_LIST F_EXCEPT)
      add_subdirectory(${name})
    endif()
  endforeach()
endfunction()

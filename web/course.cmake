# What a course takes beside the site folder: the page as one file (tarsel.html), which runs
# from the disk, and the site as a SCORM 1.2 package (tarsel-scorm.zip) for a learning
# platform. Included by web/CMakeLists.txt once the site's targets are defined.
find_program(TARSEL_PYTHON python3 REQUIRED NO_CMAKE_FIND_ROOT_PATH)

# The two modules again, each with its WebAssembly inside its script (a page opened from the
# disk cannot fetch a .wasm): the same sources and options as the site's.
set(one_file_dir ${CMAKE_CURRENT_BINARY_DIR}/one-file)
foreach(pair "tarsel_web;tarsel" "tarsel_sweep_web;tarsel_sweep")
  list(GET pair 0 target)
  list(GET pair 1 name)
  get_target_property(sources ${target} SOURCES)
  get_target_property(libraries ${target} LINK_LIBRARIES)
  get_target_property(options ${target} LINK_OPTIONS)
  add_executable(${target}_one_file ${sources})
  tarsel_layer(${target}_one_file web)
  target_link_libraries(${target}_one_file PRIVATE ${libraries})
  target_link_options(${target}_one_file PRIVATE ${options} -sSINGLE_FILE=1)
  set_target_properties(${target}_one_file PROPERTIES OUTPUT_NAME ${name} SUFFIX .js
                                                      RUNTIME_OUTPUT_DIRECTORY ${one_file_dir})
endforeach()

set(one_file ${CMAKE_CURRENT_BINARY_DIR}/tarsel.html)
add_custom_command(
  OUTPUT ${one_file}
  COMMAND ${TARSEL_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/one_file.py ${site} ${one_file_dir}/tarsel.js
          ${one_file_dir}/tarsel_sweep.js ${one_file} ${course_files}
  DEPENDS one_file.py ${page_files} ${catalogues} ${site}/index.html tarsel_web_one_file
          tarsel_sweep_web_one_file
  VERBATIM)
add_custom_target(tarsel_one_file ALL DEPENDS ${one_file})

# The SCORM 1.2 package: every file of the site with the manifest a platform reads.
set(scorm_package ${CMAKE_CURRENT_BINARY_DIR}/tarsel-scorm.zip)
add_custom_command(
  OUTPUT ${scorm_package}
  COMMAND ${TARSEL_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/scorm_package.py ${site} ${scorm_package}
  DEPENDS scorm_package.py ${page_files} ${icons} ${catalogues} ${site}/index.html ${site}/sw.js tarsel_page
  VERBATIM)
add_custom_target(tarsel_scorm_package ALL DEPENDS ${scorm_package})

# Builds the Resources folder: run with cmake -P through the wrapper that the build writes into
# tools/ (it sets SOURCE_DIR, TRFC, ARTPNG, RSVG_CONVERT, PYTHON and FONT_DIR, where the cut fonts are), with
#   -DWORK_DIR=<folder for the made art and sounds> -DRESOURCE_DIR=<the Resources folder>.
# The same sources always give the same bytes.
foreach(variable SOURCE_DIR TRFC ARTPNG RSVG_CONVERT PYTHON FONT_DIR WORK_DIR RESOURCE_DIR)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "BuildResources.cmake needs ${variable}")
  endif()
endforeach()

# Art: every SVG under assets/art becomes a PNG at the same place under WORK_DIR/art, tidied by
# artpng. Those under masks/ are drawn white on black and kept as 8-bit grey images that widgets
# tint.
set(art_folder ${SOURCE_DIR}/assets/art)
# Made files whose source is gone must not stay behind for trfc to find.
file(REMOVE_RECURSE ${WORK_DIR}/art ${WORK_DIR}/sounds ${WORK_DIR}/papers)
file(GLOB_RECURSE art_sources RELATIVE ${art_folder} ${art_folder}/*.svg)
list(SORT art_sources)
foreach(svg IN LISTS art_sources)
  string(REGEX REPLACE "\\.svg$" ".png" png ${WORK_DIR}/art/${svg})
  get_filename_component(png_folder ${png} DIRECTORY)
  file(MAKE_DIRECTORY ${png_folder})
  if(svg MATCHES "^masks/")
    execute_process(COMMAND ${RSVG_CONVERT} --background-color=black -o ${png}.rgba ${art_folder}/${svg}
                    COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${ARTPNG} --mask ${png}.rgba ${png} COMMAND_ERROR_IS_FATAL ANY)
  else()
    execute_process(COMMAND ${RSVG_CONVERT} -o ${png}.rgba ${art_folder}/${svg} COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${ARTPNG} ${png}.rgba ${png} COMMAND_ERROR_IS_FATAL ANY)
  endif()
  file(REMOVE ${png}.rgba)
endforeach()

# Interface sounds, synthesised from the parameters in the generator.
execute_process(COMMAND ${PYTHON} ${SOURCE_DIR}/tools/make_sounds.py ${WORK_DIR}/sounds COMMAND_ERROR_IS_FATAL ANY)

# Paper grains, generated as seamless 8-bit textures. The paper folder "Canvases" stands beside
# the program, as the Resources folder does; new paintings find named textures there.
execute_process(COMMAND ${PYTHON} ${SOURCE_DIR}/tools/make_papers.py ${WORK_DIR}/papers COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(program_dir ${RESOURCE_DIR} DIRECTORY)
file(MAKE_DIRECTORY ${program_dir}/Canvases)
file(COPY_FILE ${WORK_DIR}/papers/rough.png ${program_dir}/Canvases/Rough.png)

# The two resource files; the source names the made files relative to WORK_DIR and FONT_DIR.
file(MAKE_DIRECTORY ${RESOURCE_DIR})
execute_process(COMMAND ${TRFC} ${SOURCE_DIR}/system.trf.src ${RESOURCE_DIR}/system.trf ${WORK_DIR} ${FONT_DIR}
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${TRFC} ${SOURCE_DIR}/system.tsf.src ${RESOURCE_DIR}/system.tsf COMMAND_ERROR_IS_FATAL ANY)

# The help and program documents that the string table names.
file(GLOB documents ${SOURCE_DIR}/assets/docs/*.html)
file(COPY ${documents} DESTINATION ${RESOURCE_DIR})

# The fonts' licence travels with the fonts.
file(COPY_FILE ${SOURCE_DIR}/fonts/LICENSE ${RESOURCE_DIR}/fonts-LICENSE.txt)

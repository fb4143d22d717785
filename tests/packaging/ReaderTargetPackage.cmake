# A fresh build folder where only the reader and the demo feed server are built, as the demo
# does: cpack still makes the whole package from it, and no test or benchmark was built on the
# way.
#
#   cmake -DSOURCE=... -DFOLDER=... -DGENERATOR=... -DCPACK=... [-DLAUNCHER=ccache]
#         [-DFEED_BASE_URL=...] -P ReaderTargetPackage.cmake
cmake_minimum_required(VERSION 3.21)

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${output}")
  endif()
  set(output "${output}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${FOLDER}")
set(options)
if(LAUNCHER)
  list(APPEND options -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
endif()
if(FEED_BASE_URL)
  list(APPEND options -DFEED_BASE_URL=${FEED_BASE_URL})
endif()
run("Configuring" ${CMAKE_COMMAND} -S ${SOURCE} -B ${FOLDER} -G ${GENERATOR} ${options})
run("Building the reader and the feed server" ${CMAKE_COMMAND} --build ${FOLDER} --target ZeltonReader zelton-feed-server)

file(GLOB tests LIST_DIRECTORIES false ${FOLDER}/tests/*/Test* ${FOLDER}/bench/bench-*)
if(tests)
  message(FATAL_ERROR "Building the reader built tests or benchmarks too: ${tests}")
endif()

run("cpack" ${CMAKE_COMMAND} -E chdir ${FOLDER} ${CPACK} -G DEB)
file(GLOB debs ${FOLDER}/zeltonreader_*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "Expected one package in ${FOLDER}, found: ${debs}")
endif()
run("Listing the package" dpkg-deb --contents ${debs})
foreach(path usr/bin/ZeltonReader usr/share/man/man1/ZeltonReader.1.gz usr/share/man/cs/man1/ZeltonReader.1.gz
             usr/share/doc/zeltonreader/copyright usr/share/doc/zeltonreader/changelog.gz
             usr/share/icons/hicolor/256x256/apps/ usr/share/metainfo/ usr/share/applications/)
  string(FIND "${output}" " ./${path}" at)
  if(at LESS 0)
    message(FATAL_ERROR "The package lacks ${path}:\n${output}")
  endif()
endforeach()
message(STATUS "The package made after building only the reader:\n${output}")
file(REMOVE_RECURSE "${FOLDER}")

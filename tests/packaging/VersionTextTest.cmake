# The version header: the plain project version outside a git checkout (a tarball), the given
# revision when one is set, and the checkout's revision inside one.
foreach(name WRITER VERSION WORK CHECKOUT)
    if(NOT DEFINED ${name})
        message(FATAL_ERROR "VersionTextTest.cmake needs ${name}")
    endif()
endforeach()

function(expect_text source revision expected)
    set(header ${WORK}/MotiforaVersion.h)
    file(REMOVE ${header})
    execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${source} -DVERSION=${VERSION}
        -DREVISION=${revision} -DOUTPUT=${header} -P ${WRITER} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "the version writer failed for ${source}")
    endif()
    file(READ ${header} content)
    string(REGEX MATCH "MOTIFORA_VERSION_TEXT \"([^\"]*)\"" _ "${content}")
    set(text "${CMAKE_MATCH_1}")
    if(NOT text MATCHES "${expected}")
        message(FATAL_ERROR "${source} (revision '${revision}'): got \"${text}\", "
            "wanted a match of ${expected}")
    endif()
    string(FIND "${content}" "MOTIFORA_PROJECT_VERSION \"${VERSION}\"" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the header lacks the project version:\n${content}")
    endif()
endfunction()

string(REPLACE "." "\\." version_pattern "${VERSION}")

# A copy of the sources without git: inside the build folder, which git may well see as part
# of the checkout around it, but whose top it is not.
set(tarball ${WORK}/unpacked-tarball)
file(MAKE_DIRECTORY ${tarball})
expect_text(${tarball} "" "^${version_pattern}$")
expect_text(${tarball} "1a2b3c4" "^${version_pattern} \\(git 1a2b3c4\\)$")

find_program(git_program git)
if(git_program AND EXISTS ${CHECKOUT}/.git)
    expect_text(${CHECKOUT} "" "^${version_pattern} \\(git [0-9a-f]+(-modified)?\\)$")
endif()

# Writes the English texts of a Qt translation source (.ts, id-based) as a C++ table, so that
# motifora-cli shows the same English as the window without linking Qt.
# Usage: cmake -DTS=<file.ts> -DOUT=<file.cpp> -P TranslationTable.cmake
cmake_minimum_required(VERSION 3.21)
file(READ "${TS}" rest)

function(xml_text input output)
    string(REPLACE "&lt;" "<" text "${input}")
    string(REPLACE "&gt;" ">" text "${text}")
    string(REPLACE "&quot;" "\"" text "${text}")
    string(REPLACE "&apos;" "'" text "${text}")
    string(REPLACE "&amp;" "&" text "${text}")
    set(${output} "${text}" PARENT_SCOPE)
endfunction()

# `after`: what follows the first `marker` in `input`, or "" when there is none.
function(after_marker input marker after)
    string(FIND "${input}" "${marker}" at)
    set(text "")
    if(NOT at EQUAL -1)
        string(LENGTH "${marker}" length)
        math(EXPR at "${at} + ${length}")
        string(SUBSTRING "${input}" ${at} -1 text)
    endif()
    set(${after} "${text}" PARENT_SCOPE)
endfunction()

# `before`: what comes before the first `marker` in `input` (all of it when there is none).
function(before_marker input marker before)
    string(FIND "${input}" "${marker}" at)
    string(SUBSTRING "${input}" 0 ${at} text)
    set(${before} "${text}" PARENT_SCOPE)
endfunction()

set(entries "")
set(count 0)
while(TRUE)
    after_marker("${rest}" "<message id=\"" rest)
    if(rest STREQUAL "")
        break()
    endif()
    before_marker("${rest}" "\">" id)
    before_marker("${rest}" "</message>" message)
    string(LENGTH "${message}" messageEnd)
    string(SUBSTRING "${rest}" ${messageEnd} -1 rest)
    # Only finished translations: an unfinished one leaves the original words.
    after_marker("${message}" "<translation>" translation)
    before_marker("${translation}" "</translation>" translation)
    if(translation STREQUAL "")
        continue()
    endif()
    xml_text("${id}" id)
    xml_text("${translation}" translation)
    string(APPEND entries "    {R\"text(${id})text\", R\"text(${translation})text\"},\n")
    math(EXPR count "${count} + 1")
endwhile()

file(WRITE "${OUT}.new" "// Generated from ${TS} by TranslationTable.cmake: do not edit.
#include \"cli/EnglishTexts.h\"

namespace motifora {

const EnglishText kEnglishTexts[] = {
${entries}};
const size_t kEnglishTextCount = ${count};

}  // namespace motifora
")
# Rewritten only when it changed, so that an unchanged table compiles nothing.
file(COPY_FILE "${OUT}.new" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.new")

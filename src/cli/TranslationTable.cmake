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

set(entries "")
set(count 0)
while(TRUE)
    string(FIND "${rest}" "<message id=\"" start)
    if(start EQUAL -1)
        break()
    endif()
    math(EXPR start "${start} + 13")
    string(SUBSTRING "${rest}" ${start} -1 rest)
    string(FIND "${rest}" "\">" idEnd)
    string(SUBSTRING "${rest}" 0 ${idEnd} id)
    string(FIND "${rest}" "</message>" messageEnd)
    string(SUBSTRING "${rest}" 0 ${messageEnd} message)
    string(SUBSTRING "${rest}" ${messageEnd} -1 rest)
    # Only finished translations: an unfinished one leaves the original words.
    string(FIND "${message}" "<translation>" open)
    if(open EQUAL -1)
        continue()
    endif()
    math(EXPR open "${open} + 13")
    string(SUBSTRING "${message}" ${open} -1 translation)
    string(FIND "${translation}" "</translation>" close)
    string(SUBSTRING "${translation}" 0 ${close} translation)
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

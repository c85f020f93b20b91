# Fails when the English translation source is not in step with the code: a text marked
# MOTIFORA_TR without English, or an English entry for a text the code no longer has.
# Usage: cmake -DLUPDATE=<lupdate> -DSOURCE=<source tree> -DWORK=<folder> -P CheckTranslations.cmake
cmake_minimum_required(VERSION 3.21)
file(MAKE_DIRECTORY "${WORK}")
file(COPY_FILE "${SOURCE}/translations/motifora_en.ts" "${WORK}/motifora_en.ts")
execute_process(
    COMMAND "${LUPDATE}" -tr-function-alias QT_TRID_NOOP+=MOTIFORA_TR -locations none
        "${SOURCE}/src"
        -ts "${WORK}/motifora_en.ts"
    RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
if(failed)
    message(FATAL_ERROR "lupdate failed (${failed})")
endif()
file(READ "${WORK}/motifora_en.ts" updated)
string(REGEX MATCHALL "<message id=\"[^\"]*\">[^<]*<source>[^<]*</source>[^<]*<translation type=\"(unfinished|vanished|obsolete)\"" stale "${updated}")
if(stale)
    string(REPLACE ";" "\n" stale "${stale}")
    message(FATAL_ERROR "translations/motifora_en.ts is out of step with the code "
        "(run scripts/translations.sh and give every new text its English):\n${stale}")
endif()
string(REGEX MATCHALL "<message id=" messages "${updated}")
list(LENGTH messages count)
message(STATUS "${count} marked texts, each with its English")

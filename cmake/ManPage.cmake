# SPDX-License-Identifier: MIT
# Writes a manual page from its scdoc source, compressed as man-db reads it:
#   cmake -DSCDOC=... -DGZIP=... -DSOURCE=page.1.scd -DOUTPUT=page.1 -P ManPage.cmake
# The pages name the Japanese captions of the windows. Where the terminal's character set has no
# glyph for them (man-db renders for ASCII in the C locale, for Latin-1 in a Latin-1 locale),
# groff would drop each such character with a warning; a fallback for each character the page
# holds shows "?" there instead (the full-width punctuation as its ASCII look-alike), as a
# conversion of the text to that character set would. Fallbacks are used only where the glyph is
# missing, so a UTF-8 terminal still shows the Japanese.
execute_process(COMMAND ${SCDOC} INPUT_FILE ${SOURCE} OUTPUT_VARIABLE roff RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "scdoc failed on ${SOURCE}")
endif()

# A UTF-8 sequence: a lead byte, then its continuation bytes.
string(ASCII 194 lead_first)
string(ASCII 244 lead_last)
string(ASCII 128 continuation_first)
string(ASCII 191 continuation_last)
string(REGEX MATCHALL "[${lead_first}-${lead_last}][${continuation_first}-${continuation_last}]+"
       characters "${roff}")
list(REMOVE_DUPLICATES characters)
# Each full-width character followed by its look-alike.
set(look_alikes "。.、,「[」]＞>")
set(fallbacks "")
foreach(character IN LISTS characters)
    set(stand_in "?")
    string(FIND "${look_alikes}" "${character}" at)
    if(at GREATER_EQUAL 0)
        string(LENGTH "${character}" length)
        math(EXPR at "${at} + ${length}")
        string(SUBSTRING "${look_alikes}" ${at} 1 stand_in)
    endif()
    string(APPEND fallbacks ".fchar ${character} ${stand_in}\n")
endforeach()

file(WRITE ${OUTPUT} "${fallbacks}${roff}")
execute_process(COMMAND ${GZIP} -9nf ${OUTPUT} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "gzip failed on ${OUTPUT}")
endif()

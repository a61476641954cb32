# Writes a gzipped manual page from a program's --help:
#   cmake -DCOMMAND="prog;--help" -DNAME=corvale2 -DSUMMARY="..." -DVERSION=1.0.0
#         -DOUT=corvale2.1.gz -P manpage.cmake
execute_process(COMMAND ${COMMAND} OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${COMMAND} failed: ${status}")
endif()
string(TOUPPER "${NAME}" upper)
# The program by its name, not the path it ran from.
string(REGEX REPLACE "Usage: [^ \n]*/([^/ \n]+)" "Usage: \\1" help "${help}")
# roff: a backslash is \e; a line starting with . or ' is not a request.
string(REPLACE "\\" "\\e" help "${help}")
string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" help "${help}")
set(page ".TH ${upper} 1 \"\" \"${NAME} ${VERSION}\" \"User Commands\"
.SH NAME
${NAME} \\- ${SUMMARY}
.SH DESCRIPTION
.nf
${help}.fi
.SH SEE ALSO
corvale2(1), corvale-flume-sim(1), corvale2-demo(1)
")
get_filename_component(dir "${OUT}" DIRECTORY)
get_filename_component(base "${OUT}" NAME_WLE)
file(WRITE "${dir}/${base}" "${page}")
# gzip -9n: no name or time stamp, so the package is reproducible.
execute_process(COMMAND gzip -9nf "${dir}/${base}" RESULT_VARIABLE gz)
if(NOT gz EQUAL 0)
  message(FATAL_ERROR "gzip failed")
endif()

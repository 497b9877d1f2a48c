# cmake -DREADME=... -DOUT=... -DBINDIR=/usr/bin -P troubleshooting.cmake
# The README's notes on serial ports (how COMn is found, why a port cannot be opened: the dialout
# group, ModemManager, brltty) and on the settings file, as a document of their own for an
# installation: the README stays the one place they are written.
file(READ "${README}" text)
set(first "\n### Serial ports on Linux\n")
set(last "\n### Where the settings are\n")
string(FIND "${text}" "${first}" begin)
string(FIND "${text}" "${last}" lastBegin)
if(begin EQUAL -1 OR lastBegin LESS begin)
  message(FATAL_ERROR "${README}: the sections \"Serial ports on Linux\" and \"Where the settings are\" are gone")
endif()
# Up to the next heading of the same or a higher level after the last section's own.
string(LENGTH "${last}" lastLength)
math(EXPR afterLast "${lastBegin} + ${lastLength}")
string(SUBSTRING "${text}" ${afterLast} -1 tail)
string(REGEX MATCH "\n##?#? [^\n]*" next "${tail}")
if(next)
  string(FIND "${tail}" "${next}" end)
  math(EXPR end "${afterLast} + ${end}")
else()
  string(LENGTH "${text}" end)
endif()
math(EXPR begin "${begin} + 1")
math(EXPR length "${end} - ${begin}")
string(SUBSTRING "${text}" ${begin} ${length} notes)

# Headings two levels up; the programs named where they are installed ($BINDIR), and a build's
# own settings file left out: the installed notes never send a reader to a build folder.
string(REGEX REPLACE "(^|\n)##(#+ )" "\\1\\2" notes "${notes}")
string(REGEX REPLACE "`build/bin/(vxr[a-z-]*)" "`${BINDIR}/\\1" notes "${notes}")
string(REGEX REPLACE ",[ \n]+or[ \n]+`build/bin/VXRMGR.ini`[ \n]+while[ \n]+developing" "" notes "${notes}")
if(notes MATCHES "build/")
  string(REGEX MATCH "[^\n]*build/[^\n]*" line "${notes}")
  message(FATAL_ERROR "${README}: the installed notes would name a build folder: ${line}")
endif()
file(WRITE "${OUT}" "${notes}")

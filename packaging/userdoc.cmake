# cmake -DIN=README.md -DOUT=<file> -P userdoc.cmake: writes the README's user part, everything
# above its marker line, as the package installs it: the programs are on the PATH, and the files
# it links to lie beside it under the names the package gives them.
set(marker "<!-- The package installs what is above this line as its README. -->")
file(READ "${IN}" text)
string(FIND "${text}" "${marker}" cut)
if(cut EQUAL -1)
    message(FATAL_ERROR "${IN} has no line \"${marker}\": the package would not know where its "
        "README ends")
endif()
string(SUBSTRING "${text}" 0 ${cut} text)
string(STRIP "${text}" text)
string(REPLACE "build-release/" "" text "${text}")
string(REPLACE "src/virtual_display/README.md" "README.virtual-display.md" text "${text}")
string(REPLACE "docs/screenshot.png" "screenshot.png" text "${text}")
string(REPLACE "contrib/ansible/" "ansible/" text "${text}")
# After the title: where this copy comes from, since it still names the source tree's scripts.
string(FIND "${text}" "\n" title_end)
string(SUBSTRING "${text}" 0 ${title_end} title)
string(SUBSTRING "${text}" ${title_end} -1 body)
string(STRIP "${body}" body)
file(WRITE "${OUT}" "${title}\n\n"
    "> The user part of the vq3360 README, as the package installs it. `scripts/...` and\n"
    "> `tests/...` are folders of the project's source, not of the package.\n\n"
    "${body}\n")

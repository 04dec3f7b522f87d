# Makes the one C++ source that holds the bridge's pages, at build time:
#   cmake -DPAGES_DIR=<this folder> -DOUTPUT=<file.cpp> -DPAGES="phone;overlay" -P embed.cmake
# Each page NAME.html becomes `const std::string_view NamePageHtml` (declared in TRemotePage.h),
# one self-contained document: every <link rel="stylesheet" href="F.css"> and
# <script src="F.js"></script> of this folder is replaced by the file's text, so that the page is
# served with nothing to fetch, while each file can still be opened and checked as what it is.
# Anything else the document would fetch stops the build.
cmake_minimum_required(VERSION 3.25)

function(inline_files page kind pattern open close out)
    string(REGEX MATCHALL "${pattern}" tags "${page}")
    foreach(tag IN LISTS tags)
        string(REGEX REPLACE "${pattern}" "\\1" file "${tag}")
        if(NOT EXISTS "${PAGES_DIR}/${file}")
            message(FATAL_ERROR "embed: ${kind} ${file} is not in ${PAGES_DIR}")
        endif()
        file(READ "${PAGES_DIR}/${file}" text)
        string(FIND "${text}" "${close}" inner)
        if(NOT inner EQUAL -1)
            message(FATAL_ERROR "embed: ${file} holds ${close}, which would end it early")
        endif()
        string(REPLACE "${tag}" "${open}\n${text}${close}" page "${page}")
    endforeach()
    set(${out} "${page}" PARENT_SCOPE)
endfunction()

set(source "// Made by tools/remote/pages/embed.cmake from the files beside it: do not edit.\n")
string(APPEND source "#include \"tools/remote/TRemotePage.h\"\n\nnamespace {\n")
set(definitions "")
set(row "") # 16 bytes to a line of the source
foreach(i RANGE 15)
    string(APPEND row "[0-9a-f][0-9a-f]")
endforeach()
foreach(name IN LISTS PAGES)
    file(READ "${PAGES_DIR}/${name}.html" page)
    inline_files("${page}" "style sheet" "<link rel=\"stylesheet\" href=\"([a-z0-9-]+\\.css)\">"
                 "<style>" "</style>" page)
    inline_files("${page}" "script" "<script src=\"([a-z0-9-]+\\.js)\"></script>"
                 "<script>" "</script>" page)
    foreach(fetch "src=" "href=" "url(" "@import")
        string(FIND "${page}" "${fetch}" at)
        if(NOT at EQUAL -1)
            message(FATAL_ERROR "embed: ${name}.html would fetch something (${fetch})")
        endif()
    endforeach()

    # As bytes, so that no text in a page can end or bend a C++ literal.
    string(HEX "${page}" hex)
    string(REGEX REPLACE "(${row})" "\\1\n" hex "${hex}")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
    string(SUBSTRING "${name}" 0 1 first)
    string(SUBSTRING "${name}" 1 -1 rest)
    string(TOUPPER "${first}" first)
    string(APPEND source "const char ${first}${rest}Bytes[] = {\n${bytes}};\n")
    string(APPEND definitions "constinit const std::string_view ${first}${rest}PageHtml(${first}${rest}Bytes, "
           "sizeof ${first}${rest}Bytes);\n")
endforeach()
string(APPEND source "} // namespace\n\n${definitions}")

# Written only when it changed, so that an unchanged page does not rebuild what uses it.
set(old "")
if(EXISTS "${OUTPUT}")
    file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL source)
    file(WRITE "${OUTPUT}" "${source}")
endif()

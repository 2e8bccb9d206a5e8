# The drive folder: what a user copies to the flash drive. Beside Nagwick.exe
# (so both read the same nagwick.ini): the launcher `nagwick`; the bundle, a
# series of LZ4 frames, each a tar archive of one file, of the Linux program
# with the Qt libraries and plugins a desktop without Qt 6.4 lacks; nagwick.sh, which starts it where
# the drive's files may not be executed.
# scripts/build-drive.sh installs the component "drive" into build/drive.
if(WIN32 OR NOT NAGWICK_BACKEND STREQUAL "qt")
    return()
endif()

get_target_property(NAGWICK_LIBRARY_FOLDER nagwick_linux NAGWICK_LIBRARY_FOLDER)
get_target_property(NAGWICK_BUNDLE nagwick_linux NAGWICK_BUNDLE)
set(NAGWICK_LOADER /lib64/ld-linux-x86-64.so.2 CACHE FILEPATH
    "The system's dynamic loader, through which nagwick.sh runs the program")
find_program(LZ4_PROGRAM lz4 REQUIRED)
# What goes into the bundle is gathered here under the prefix, then packed.
set(bundled nagwick-bundle)

# The program finds the folder through its RPATH, relative to itself. DT_RPATH
# rather than DT_RUNPATH: the loader searches it for the libraries' own
# dependencies too (ICU behind QtCore, the xcb plugin's), not only for the
# program's, and a user's LD_LIBRARY_PATH can't put other Qt libraries first.
set_target_properties(nagwick PROPERTIES INSTALL_RPATH "$ORIGIN/${NAGWICK_LIBRARY_FOLDER}"
                                         BUILD_WITH_INSTALL_RPATH ON)
target_link_options(nagwick PRIVATE LINKER:--disable-new-dtags)

install(TARGETS nagwick_launcher RUNTIME DESTINATION . COMPONENT drive)
install(TARGETS nagwick RUNTIME DESTINATION ${bundled} COMPONENT drive)
# Qt's X11 platform, which serves Wayland desktops through XWayland, and the
# input methods of X11 desktops. (Debian's Qt leaves out the file that would
# import them with Gui.)
find_package(Qt6 REQUIRED COMPONENTS Gui)
foreach(plugin QXcbIntegrationPlugin QComposePlatformInputContextPlugin QIbusPlatformInputContextPlugin)
    find_package(Qt6${plugin} REQUIRED CONFIG HINTS ${Qt6Gui_DIR})
endforeach()
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QXcbIntegrationPlugin
        LIBRARY DESTINATION ${bundled}/${NAGWICK_LIBRARY_FOLDER}/plugins/platforms COMPONENT drive)
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QComposePlatformInputContextPlugin
                                   Qt6::QIbusPlatformInputContextPlugin
        LIBRARY DESTINATION ${bundled}/${NAGWICK_LIBRARY_FOLDER}/plugins/platforminputcontexts COMPONENT drive)
# ICU's common data, a table of contents with nothing in it: see icu_data_stub.cpp.
install(TARGETS nagwick_icu_data_stub LIBRARY DESTINATION ${bundled}/${NAGWICK_LIBRARY_FOLDER}
        NAMELINK_SKIP COMPONENT drive)

# The libraries they need, but for what every desktop has under the same
# name: the C and C++ runtimes, X11 and its xcb core, OpenGL's dispatch (the
# drivers go with it), fonts, GLib, D-Bus, session management, and what these
# rest on. So the bundle carries Qt, its ICU (whose name changes with its
# version), the xcb helpers and libOpenGL. Each is copied as one file under
# the name the loader asks for: the bundle holds no symbolic links, which
# install(RUNTIME_DEPENDENCY_SET) would copy.
install(CODE "set(lz4_program \"${LZ4_PROGRAM}\")" COMPONENT drive)
install(CODE [[
    file(GET_RUNTIME_DEPENDENCIES RESOLVED_DEPENDENCIES_VAR libraries
        EXECUTABLES "$<TARGET_FILE:nagwick>"
        MODULES "$<TARGET_FILE:Qt6::QXcbIntegrationPlugin>"
                "$<TARGET_FILE:Qt6::QComposePlatformInputContextPlugin>"
                "$<TARGET_FILE:Qt6::QIbusPlatformInputContextPlugin>"
        PRE_EXCLUDE_REGEXES
            "^ld-linux" "^lib(c|m|dl|pthread|rt|resolv)\\.so" "^lib(stdc\\+\\+|gcc_s)\\.so"
            "^lib(EGL|GL|GLX|GLdispatch)\\.so"
            "^lib(X11|X11-xcb|Xau|Xdmcp|SM|ICE|xkbcommon)\\.so"
            "^libxcb(-render|-shm|-randr|-sync|-xfixes)?\\.so"
            "^lib(fontconfig|freetype|harfbuzz|graphite2|png16|z|expat|brotli[a-z]*)\\.so"
            "^lib(glib-2\\.0|pcre2-8|dbus-1|systemd|gcrypt|gpg-error|lzma|lz4|zstd|cap|bsd|md|uuid)\\.so"
            "^libicudata\\.so")
    # Absolute, as the packing runs in other folders: the prefix may be relative.
    set(bundled "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/nagwick-bundle")
    cmake_path(ABSOLUTE_PATH bundled)
    set(folder "${bundled}/$<TARGET_PROPERTY:nagwick_linux,NAGWICK_LIBRARY_FOLDER>")
    foreach(library IN LISTS libraries)
        cmake_path(GET library FILENAME name)
        message(STATUS "Installing: ${folder}/${name}")
        file(COPY_FILE "${library}" "${folder}/${name}" ONLY_IF_DIFFERENT)
    endforeach()
    # The stub must stand in for the very ICU that the bundle's libicuuc links.
    string(REPLACE icudata icuuc icuuc "$<TARGET_SONAME_FILE_NAME:nagwick_icu_data_stub>")
    if(NOT EXISTS "${folder}/${icuuc}")
        message(FATAL_ERROR "the bundle's ICU is not that of $<TARGET_SONAME_FILE_NAME:nagwick_icu_data_stub>")
    endif()

    # Each file a tar archive of its own in an LZ4 frame, largest first: the
    # launcher decodes them on all cores at once, straight into the files;
    # `lz4 -dc | tar -xi` unpacks the whole all the same. Blocks of 1 MiB, as
    # large as its buffers; a checksum on each frame.
    set(bundle "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/$<TARGET_PROPERTY:nagwick_linux,NAGWICK_BUNDLE>")
    message(STATUS "Packing: ${bundle}")
    file(GLOB_RECURSE members LIST_DIRECTORIES false RELATIVE "${bundled}" "${bundled}/*")
    set(by_size "")
    foreach(member IN LISTS members)
        file(SIZE "${bundled}/${member}" size)
        string(LENGTH "${size}" digits)
        math(EXPR padding "12 - ${digits}")
        string(REPEAT 0 ${padding} zeros)
        list(APPEND by_size "${zeros}${size} ${member}")
    endforeach()
    list(SORT by_size ORDER DESCENDING)
    file(REMOVE_RECURSE "${bundled}.parts")
    file(MAKE_DIRECTORY "${bundled}.parts")
    set(parts "")
    foreach(entry IN LISTS by_size)
        string(REGEX REPLACE "^[0-9]+ " "" member "${entry}")
        list(LENGTH parts index)
        set(part "${bundled}.parts/${index}.tar")
        execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${part}" --format=gnutar
                                "--mtime=2000-01-01 00:00:00 UTC" -- "${member}"
                        WORKING_DIRECTORY "${bundled}" COMMAND_ERROR_IS_FATAL ANY)
        list(APPEND parts "${part}")
    endforeach()
    execute_process(COMMAND "${lz4_program}" -q -m -12 -B6 --rm ${parts} COMMAND_ERROR_IS_FATAL ANY)
    list(TRANSFORM parts APPEND .lz4)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E cat ${parts} OUTPUT_FILE "${bundle}" COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE "${bundled}" "${bundled}.parts")
]] COMPONENT drive)

configure_file(${PROJECT_SOURCE_DIR}/src/platform/linux/nagwick.sh.in nagwick.sh @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/nagwick.sh DESTINATION . COMPONENT drive)

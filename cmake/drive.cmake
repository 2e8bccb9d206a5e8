# The drive folder: what a user copies to the flash drive. The Linux program
# sits beside Nagwick.exe (so both read the same nagwick.ini), with the Qt
# libraries and plugins a desktop without Qt 6.4 lacks in a folder of its own;
# nagwick.sh starts it where the drive's files may not be executed.
# scripts/build-drive.sh installs the component "drive" into build/drive.
if(WIN32 OR NOT NAGWICK_BACKEND STREQUAL "qt")
    return()
endif()

get_target_property(NAGWICK_LIBRARY_FOLDER nagwick_linux NAGWICK_LIBRARY_FOLDER)
set(NAGWICK_LOADER /lib64/ld-linux-x86-64.so.2 CACHE FILEPATH
    "The system's dynamic loader, through which nagwick.sh runs the program")

# The program finds the folder through its RPATH, relative to itself. DT_RPATH
# rather than DT_RUNPATH: the loader searches it for the libraries' own
# dependencies too (ICU behind QtCore, the xcb plugin's), not only for the
# program's, and a user's LD_LIBRARY_PATH can't put other Qt libraries first.
set_target_properties(nagwick PROPERTIES INSTALL_RPATH "$ORIGIN/${NAGWICK_LIBRARY_FOLDER}"
                                         BUILD_WITH_INSTALL_RPATH ON)
target_link_options(nagwick PRIVATE LINKER:--disable-new-dtags)

install(TARGETS nagwick RUNTIME DESTINATION . COMPONENT drive)
# Qt's X11 platform, which serves Wayland desktops through XWayland, and the
# input methods of X11 desktops. (Debian's Qt leaves out the file that would
# import them with Gui.)
find_package(Qt6 REQUIRED COMPONENTS Gui)
foreach(plugin QXcbIntegrationPlugin QComposePlatformInputContextPlugin QIbusPlatformInputContextPlugin)
    find_package(Qt6${plugin} REQUIRED CONFIG HINTS ${Qt6Gui_DIR})
endforeach()
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QXcbIntegrationPlugin
        LIBRARY DESTINATION ${NAGWICK_LIBRARY_FOLDER}/plugins/platforms COMPONENT drive)
install(IMPORTED_RUNTIME_ARTIFACTS Qt6::QComposePlatformInputContextPlugin
                                   Qt6::QIbusPlatformInputContextPlugin
        LIBRARY DESTINATION ${NAGWICK_LIBRARY_FOLDER}/plugins/platforminputcontexts COMPONENT drive)

# The libraries they need, but for what every desktop has under the same
# name: the C and C++ runtimes, X11 and its xcb core, OpenGL's dispatch (the
# drivers go with it), fonts, GLib, D-Bus, session management, and what these
# rest on. So the folder carries Qt, its ICU (whose name changes with its
# version), the xcb helpers and libOpenGL. Each is copied as one file under
# the name the loader asks for: FAT32 and exFAT hold no symbolic links, which
# install(RUNTIME_DEPENDENCY_SET) would copy.
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
            "^lib(glib-2\\.0|pcre2-8|dbus-1|systemd|gcrypt|gpg-error|lzma|lz4|zstd|cap|bsd|md|uuid)\\.so")
    set(folder "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/$<TARGET_PROPERTY:nagwick_linux,NAGWICK_LIBRARY_FOLDER>")
    foreach(library IN LISTS libraries)
        cmake_path(GET library FILENAME name)
        message(STATUS "Installing: ${folder}/${name}")
        file(COPY_FILE "${library}" "${folder}/${name}" ONLY_IF_DIFFERENT)
    endforeach()
]] COMPONENT drive)

configure_file(${PROJECT_SOURCE_DIR}/src/platform/linux/nagwick.sh.in nagwick.sh @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/nagwick.sh DESTINATION . COMPONENT drive)

# Who ships the reader: an organization that builds its own package sets these, e.g.
#   cmake -S . -B build -DZR_PACKAGE_MAINTAINER="IT <it@example.org>" -DZR_DESKTOP_ID=org.example.Reader
# The licence's identifier and text go into the package's copyright file and its AppStream
# data; the desktop id names the desktop entry, the icon and the AppStream component, and the
# running program reports it to the desktop.
set(ZR_PACKAGE_MAINTAINER "ZeltonReader <zeltonreader@example.org>" CACHE STRING
    "Maintainer of the Debian package: \"Name <address>\"")
set(ZR_LICENSE "MIT" CACHE STRING
    "SPDX identifier of the program's licence, for the copyright file and the AppStream data")
set(ZR_LICENSE_FILE "${CMAKE_SOURCE_DIR}/LICENSE" CACHE FILEPATH
    "The licence's full text, copied into the package's copyright file")
set(ZR_COPYRIGHT "2026 Zelton" CACHE STRING
    "The copyright years and holder named in the package's copyright file")
set(ZR_DESKTOP_ID "cz.zelton.ZeltonReader" CACHE STRING
    "Reverse-DNS id of the desktop entry, icon and AppStream component")

if(NOT ZR_PACKAGE_MAINTAINER MATCHES "^[^<>]+ <[^<>@ ]+@[^<>@ ]+>$")
  message(FATAL_ERROR "ZR_PACKAGE_MAINTAINER must read \"Name <address>\", got \"${ZR_PACKAGE_MAINTAINER}\".")
endif()
if(NOT ZR_DESKTOP_ID MATCHES "^[A-Za-z][A-Za-z0-9_-]*(\\.[A-Za-z][A-Za-z0-9_-]*)+$")
  message(FATAL_ERROR "ZR_DESKTOP_ID must be a reverse-DNS name such as org.example.Reader, got \"${ZR_DESKTOP_ID}\".")
endif()
if(NOT EXISTS "${ZR_LICENSE_FILE}")
  message(FATAL_ERROR "ZR_LICENSE_FILE \"${ZR_LICENSE_FILE}\" does not exist.")
endif()

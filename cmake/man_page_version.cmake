# Writes the manual page with the version of project(VERSION) on its .TH line:
#   cmake -DIN=docs/disklens.1 -DOUT=... -DVERSION=1.15 -P man_page_version.cmake
file(READ ${IN} text)
string(REGEX REPLACE "(\n\\.TH [^\n]*\"DISKLENS )[^\"]*\"" "\\1${VERSION}\"" text "${text}")
file(WRITE ${OUT} "${text}")

# Writes the build's version and date; the file changes only when they do, so
# only what shows them is rebuilt (once a day at most).
string(TIMESTAMP VALMORO_BUILD_DATE "%Y-%m-%d")
file(CONFIGURE OUTPUT "${OUT}" CONTENT "#pragma once
#define VALMORO_VERSION \"${VERSION}\"
#define VALMORO_BUILD_DATE \"${VALMORO_BUILD_DATE}\"
")

# Places the shipped device table at TABLE unless a table is there already:
# that one is the user's, with their instruments' ids, and stays as it is.
#   cmake -DSHIPPED=<source table> -DTABLE=<table beside the library> -P VeltDeviceTable.cmake
if(NOT EXISTS "${TABLE}")
  file(COPY_FILE "${SHIPPED}" "${TABLE}")
endif()

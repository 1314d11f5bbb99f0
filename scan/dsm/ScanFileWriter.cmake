# Writes scanned pages as BMP, TIFF or JFIF files. Plain C++ (no Qt): it is
# linked into the TWAIN manager, a shared library the application loads.
find_package(JPEG REQUIRED)
find_package(TIFF REQUIRED)

add_library(tarvo_scanfile STATIC
  ${CMAKE_CURRENT_LIST_DIR}/ScanRaster.h
  ${CMAKE_CURRENT_LIST_DIR}/ScanFileWriter.h
  ${CMAKE_CURRENT_LIST_DIR}/ScanFileWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScanFileTarget.h
  ${CMAKE_CURRENT_LIST_DIR}/ScanFileTarget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScanFileStream.h
  ${CMAKE_CURRENT_LIST_DIR}/ScanFileStream.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RasterRotation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/BmpWriter.h
  ${CMAKE_CURRENT_LIST_DIR}/BmpWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TiffWriter.h
  ${CMAKE_CURRENT_LIST_DIR}/TiffWriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JfifWriter.h
  ${CMAKE_CURRENT_LIST_DIR}/JfifWriter.cpp
)
# Kept out of the manager's exported symbols, which are DSM_Entry alone.
set_target_properties(tarvo_scanfile PROPERTIES
  POSITION_INDEPENDENT_CODE ON
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON
  AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
target_include_directories(tarvo_scanfile PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tarvo_scanfile PRIVATE JPEG::JPEG TIFF::TIFF)

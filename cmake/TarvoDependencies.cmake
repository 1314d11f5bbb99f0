# Every dependency comes from Debian's archive.
find_package(Qt5 5.15 REQUIRED COMPONENTS Core Gui Widgets Concurrent Svg Test)
find_package(PkgConfig REQUIRED)

# Magick++ brings defines and -fopenmp through pkg-config; the imported target
# carries them to every file that includes its headers.
pkg_check_modules(MAGICKPP REQUIRED IMPORTED_TARGET Magick++)
pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
# PDFs are assembled with libqpdf (page by page, JPEG streams kept as they are);
# multi-page TIFFs are written with libtiff directly.
pkg_check_modules(QPDF REQUIRED IMPORTED_TARGET libqpdf)
pkg_check_modules(LIBTIFF REQUIRED IMPORTED_TARGET libtiff-4)

# Debian's split OpenCV packages (core, imgproc, imgcodecs) ship neither a
# CMake config nor a pkg-config file, so the three modules are found by hand.
find_path(TARVO_OPENCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
add_library(tarvo_opencv INTERFACE)
target_include_directories(tarvo_opencv SYSTEM INTERFACE ${TARVO_OPENCV_INCLUDE_DIR})
foreach(module core imgproc imgcodecs)
  find_library(TARVO_OPENCV_${module}_LIBRARY opencv_${module} REQUIRED)
  target_link_libraries(tarvo_opencv INTERFACE ${TARVO_OPENCV_${module}_LIBRARY})
endforeach()
add_library(Tarvo::OpenCV ALIAS tarvo_opencv)

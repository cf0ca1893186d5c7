# Third-party libraries. Debian's small OpenCV packages and potrace ship no CMake
# package configuration, so they are found by header and library name.

find_package(Qt5 5.15 REQUIRED COMPONENTS Core Gui Widgets Xml Svg Network SerialPort Test LinguistTools)
find_package(ZLIB REQUIRED)
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

find_path(OpenCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
foreach(module core imgproc imgcodecs)
  find_library(OpenCV_${module}_LIBRARY NAMES opencv_${module} REQUIRED)
endforeach()
add_library(scribo_opencv INTERFACE)
target_include_directories(scribo_opencv SYSTEM INTERFACE ${OpenCV_INCLUDE_DIR})
target_link_libraries(scribo_opencv INTERFACE
  ${OpenCV_imgcodecs_LIBRARY} ${OpenCV_imgproc_LIBRARY} ${OpenCV_core_LIBRARY})

find_path(Potrace_INCLUDE_DIR potracelib.h REQUIRED)
find_library(Potrace_LIBRARY NAMES potrace REQUIRED)
add_library(scribo_potrace INTERFACE)
target_include_directories(scribo_potrace SYSTEM INTERFACE ${Potrace_INCLUDE_DIR})
target_link_libraries(scribo_potrace INTERFACE ${Potrace_LIBRARY})

pkg_check_modules(DXFLIB REQUIRED IMPORTED_TARGET dxflib)

find_package(benchmark QUIET)

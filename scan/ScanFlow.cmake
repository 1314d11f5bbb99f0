# Placing scanned pages into the open folder and naming them.
add_library(tarvo_scanflow STATIC
  ${CMAKE_CURRENT_LIST_DIR}/BlankPage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PageName.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScanChoices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScanNaming.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScanPlacement.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScanPlanner.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ScanRecovery.cpp
)
target_include_directories(tarvo_scanflow PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(tarvo_scanflow PUBLIC tarvo_files tarvo_app Qt5::Core Qt5::Gui)

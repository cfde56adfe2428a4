# The fixed-size settings records: interface, music, playback and full-list, windowed.
target_sources(kelvora_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/interface_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/music_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/playback_settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/windowed_settings.cpp)

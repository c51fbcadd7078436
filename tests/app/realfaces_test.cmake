# Replays real-face clips beside the source tree (a talking presenter, eye
# closures, a clip stored sideways, a mouth opened on a raised head) and
# checks the gesture figures: tracked, no click while talking or blinking,
# every deliberate gesture caught, the pointer still during it. Skipped when
# the clips are not there.
if(NOT EXISTS ${FOLDER}/events.csv)
  message("SKIPPED: no real-face clips in ${FOLDER}")
  return()
endif()
file(REMOVE_RECURSE ${WORK})
foreach(clip 08_presenter_talking_blinks 03_studio_winks_eyes_squeezed_shut
        01_webcam_talking_mouth_open_head_turns
        06_dim_overhead_light_gaze_right_rotated_vfr 07_head_turns_downcast_eyes_mouth_open)
  execute_process(COMMAND ${TOOL} --video ${FOLDER}/${clip}.mp4 --config-dir ${WORK}/${clip}
                    --loop --events ${FOLDER}/events.csv --framing ${FOLDER}/framing.csv
                    --set ull=1 --set boca=4
                  RESULT_VARIABLE result OUTPUT_VARIABLE summary ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "replay of ${clip} failed: ${result} ${errors}")
  endif()
  if(NOT summary MATCHES "tracking from: [0-9.]+ s\n"
     OR NOT summary MATCHES "\\(talking 0, blinks 0\\)\n")
    message(FATAL_ERROR "${clip}: not tracked, or clicks while talking or blinking:\n${summary}")
  endif()
  string(REGEX MATCH "deliberate events caught: ([0-9]+) of ([0-9]+)" caught "${summary}")
  if(NOT CMAKE_MATCH_1 EQUAL CMAKE_MATCH_2)
    message(FATAL_ERROR "${clip}: a deliberate gesture was missed:\n${summary}")
  endif()
  string(REGEX MATCH "largest pointer movement in a gesture: ([0-9]+)\\.[0-9] px" move
         "${summary}")
  if(CMAKE_MATCH_1 GREATER_EQUAL 3)
    message(FATAL_ERROR "${clip}: the pointer moved during a gesture:\n${summary}")
  endif()
endforeach()

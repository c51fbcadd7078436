# Runs veltranix-replay on a generated video of the test face and checks the
# trace and the summary; then its answers to bad input.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${MAKER} ${WORK}/face.avi 170 RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "making the video failed: ${result}")
endif()
execute_process(COMMAND ${TOOL} --video ${WORK}/face.avi --config-dir ${WORK}/config
                  --trace ${WORK}/trace.csv --set tipoMoveRatoli=2 --screen 1600x900
                RESULT_VARIABLE result OUTPUT_VARIABLE summary ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "replay failed: ${result} ${errors}")
endif()
if(NOT summary MATCHES "frames: 170\n" OR NOT summary MATCHES "calibrated at frame: [0-9]+\n"
   OR NOT summary MATCHES "resets: 0\n")
  message(FATAL_ERROR "unexpected summary:\n${summary}")
endif()
file(STRINGS ${WORK}/trace.csv rows)
list(LENGTH rows count)
if(NOT count EQUAL 171)
  message(FATAL_ERROR "trace has ${count} rows, expected a header and 170 frames")
endif()
list(GET rows 0 header)
if(NOT header STREQUAL "frame,state,faceStatus,facePlaced,faceX,faceY,faceW,faceH,matchCost,trackedX,trackedY,targetX,targetY,pointerX,pointerY,eyeActivity1,eyeActivity2,mouthActivity,trigger,clickRequest")
  message(FATAL_ERROR "unexpected header: ${header}")
endif()
list(GET rows 1 first)
list(GET rows 30 detecting)
list(GET rows 170 last)
if(NOT first MATCHES "^1,Detect,,"
   OR NOT detecting MATCHES "^30,Detect,0,1,"
   OR NOT last MATCHES "^170,Track,,,,,,,[0-9.]+,[0-9.]+,[0-9.]+,800,450,800,450,")
  message(FATAL_ERROR "states do not advance as expected:\n${first}\n${detecting}\n${last}")
endif()
string(FIND "${rows}" ",StartTracking," start)
if(start EQUAL -1)
  message(FATAL_ERROR "no StartTracking row")
endif()

foreach(bad "--video;${WORK}/missing.avi;--config-dir;${WORK}/config"
            "--video;${WORK}/trace.csv;--config-dir;${WORK}/config"
            "--video;${WORK}/face.avi;--config-dir;${WORK}/config;--screen;huge"
            "--video;${WORK}/face.avi;--config-dir;${WORK}/config;--set;noSuchValue=1"
            "--video;${WORK}/face.avi;--config-dir;${WORK}/config;--frames"
            "--bogus")
  execute_process(COMMAND ${TOOL} ${bad} RESULT_VARIABLE result ERROR_VARIABLE errors
                  OUTPUT_QUIET)
  if(result EQUAL 0 OR NOT errors MATCHES "veltranix-replay: ")
    message(FATAL_ERROR "bad input accepted: ${bad} -> ${result} ${errors}")
  endif()
endforeach()

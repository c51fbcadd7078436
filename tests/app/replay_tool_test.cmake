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
if(NOT header STREQUAL "frame,state,faceStatus,facePlaced,faceX,faceY,faceW,faceH,matchCost,trackedX,trackedY,targetX,targetY,pointerX,pointerY,eyeActivity1,eyeActivity2,mouthActivity,trigger,clickRequest,cooldown,countdown,eyeClosure,mouthOpening,gestureBuilding,videoSeconds")
  message(FATAL_ERROR "unexpected header: ${header}")
endif()
list(GET rows 1 first)
list(GET rows 30 detecting)
list(GET rows 170 last)
if(NOT first MATCHES "^1,Detect,,"
   OR NOT detecting MATCHES "^30,Detect,0,1,"
   OR NOT last MATCHES "^170,Track,,,,,,,[0-9.]+,[0-9.]+,[0-9.]+,0,450,0,450,,,[0-9.]*,,,0,,[0-9.]*,[0-9.]*,[01],[0-9.]+$")
  message(FATAL_ERROR "states do not advance as expected:\n${first}\n${detecting}\n${last}")
endif()
# A still tracked head keeps the pointer where tracking put it; the head
# moving right in the picture walks the pointer to the left edge. The eyes
# are not bound (no eye activity), the mouth is (left click by default).
list(GET rows 135 tracking)
if(NOT tracking MATCHES "^135,Track,,,,,,,[0-9.]+,[0-9.]+,[0-9.]+,800,450,800,450,,,[0-9.]*,,,0,,[0-9.]*,[0-9.]*,[01],[0-9.]+$")
  message(FATAL_ERROR "a still tracked frame is not as expected:\n${tracking}")
endif()
if(NOT summary MATCHES "click requests: none\n")
  message(FATAL_ERROR "unexpected clicks:\n${summary}")
endif()
string(FIND "${rows}" ",StartTracking," start)
if(start EQUAL -1)
  message(FATAL_ERROR "no StartTracking row")
endif()

# A still face with the dwell clock bound to the click-type menu (2 s): the
# first dwell opens the menu, the second clicks the cell the user looks at,
# here macro 1, which the macro player types into a recording keyboard. The
# statistics log gets a header and a line per tracking frame.
execute_process(COMMAND ${MAKER} ${WORK}/still.avi 290 290 RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "making the still video failed: ${result}")
endif()
execute_process(COMMAND ${TOOL} --video ${WORK}/still.avi --config-dir ${WORK}/config-menu
                  --set tipoMoveRatoli=2 --set rellotge=2 --set tempsRellotge=2
                  --menu-choice 20 --keys ${WORK}/keys.csv --stats-log ${WORK}/Statas
                  --trace ${WORK}/menu-trace.csv
                RESULT_VARIABLE result OUTPUT_VARIABLE summary ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "replay with the menu failed: ${result} ${errors}")
endif()
if(NOT summary MATCHES "clicks: eye 0, mouth 0, dwell 2\n"
   OR NOT summary MATCHES "click requests: 20=1\n"
   OR NOT summary MATCHES "macro 1 keys: [1-9][0-9]*\n"
   OR NOT summary MATCHES "statistics log: [^\n]*/Statas/[0-9]+_[0-9]+_[0-9]+__12-[0-9]+-[0-9]+-[0-9]+\\.txt\n")
  message(FATAL_ERROR "unexpected summary with the menu:\n${summary}")
endif()
file(STRINGS ${WORK}/keys.csv keys)
list(GET keys 0 keysHeader)
list(GET keys 1 firstKey)
if(NOT keysHeader STREQUAL "frame,macro,kind,code,extended,direction"
   OR NOT firstKey MATCHES "^[0-9]+,1,(scan|key|char),[0-9]+,[01],(down|up)$")
  message(FATAL_ERROR "unexpected key list:\n${keysHeader}\n${firstKey}")
endif()
file(GLOB logs ${WORK}/Statas/*.txt)
list(LENGTH logs logCount)
if(NOT logCount EQUAL 1)
  message(FATAL_ERROR "expected one statistics log, found: ${logs}")
endif()
file(STRINGS ${logs} columns REGEX "^Temps")
file(STRINGS ${logs} dataLines REGEX "^-?[0-9]+\\.[0-9][0-9] ")
list(LENGTH dataLines dataCount)
list(GET dataLines 0 firstLine)
if(dataCount LESS 150)
  message(FATAL_ERROR "expected a line per tracking frame, found ${dataCount}")
endif()
# "Resolució: " with the o-acute as the single byte 0xF3.
file(READ ${logs} opening LIMIT 11 HEX)
if(NOT opening STREQUAL "5265736f6c756369f33a20")
  message(FATAL_ERROR "unexpected log header: ${opening}")
endif()
if(NOT columns STREQUAL "Temps  Dist_Ulls  nUll  nBoca Ull_sum  Boca_sum  X  Y  Tclic"
   OR NOT firstLine MATCHES "^[0-9]+\\.[0-9][0-9] [0-9]+ [0-9]+ [0-9]+ 0 0 640 512 -1$")
  message(FATAL_ERROR "unexpected log lines:\n${columns}\n${firstLine}")
endif()

# A video one pixel wide has no 4:3 part to crop: an error, not an abort.
execute_process(COMMAND ${MAKER} ${WORK}/thin.avi 3 3 1x480 RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "making the thin video failed: ${result}")
endif()
execute_process(COMMAND ${TOOL} --video ${WORK}/thin.avi --config-dir ${WORK}/config
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 2
   OR NOT errors MATCHES "veltranix-replay: the video [^\n]*thin.avi: the picture of 1 x 480 pixels is too small to crop to 4:3")
  message(FATAL_ERROR "a one-pixel-wide video: ${result} ${errors}")
endif()
# Any other size is cropped to 4:3 and scaled.
execute_process(COMMAND ${MAKER} ${WORK}/wide.avi 5 5 1280x720 RESULT_VARIABLE result)
execute_process(COMMAND ${TOOL} --video ${WORK}/wide.avi --config-dir ${WORK}/config
                RESULT_VARIABLE result OUTPUT_VARIABLE summary ERROR_VARIABLE errors)
if(NOT result EQUAL 0 OR NOT summary MATCHES "frames: 5\n")
  message(FATAL_ERROR "a 1280 x 720 video: ${result} ${summary} ${errors}")
endif()

# Outputs that name an input or the settings store, and screens beyond the X
# protocol's 32767, are refused; the video is left as it was.
file(MD5 ${WORK}/face.avi videoBefore)
foreach(bad "--video;${WORK}/missing.avi;--config-dir;${WORK}/config"
            "--video;${WORK}/face.avi;--config-dir;${WORK}/config;--trace;${WORK}/face.avi"
            "--video;${WORK}/face.avi;--config-dir;${WORK}/config;--overlay;${WORK}/../replay_tool_work/face.avi"
            "--video;${WORK}/face.avi;--config-dir;${WORK}/config;--keys;${WORK}/config/settings.store"
            "--video;${WORK}/face.avi;--config-dir;${WORK}/config;--trace;${WORK}/o.csv;--keys;${WORK}/o.csv"
            "--video;${WORK}/face.avi;--config-dir;${WORK}/config;--screen;32768x900"
            "--video;${WORK}/face.avi;--config-dir;${WORK}/config;--screen;999999999x999999999"
            "--video;${WORK}/trace.csv;--config-dir;${WORK}/config"
            "--video;${WORK}/face.avi;--config-dir;${WORK}/config;--screen;huge"
            "--video;${WORK}/face.avi;--config-dir;${WORK}/config;--set;noSuchValue=1"
            "--video;${WORK}/face.avi;--config-dir;${WORK}/config;--frames"
            "--video;${WORK}/face.avi;--config-dir;${WORK}/config;--menu-choice;7"
            "--bogus")
  execute_process(COMMAND ${TOOL} ${bad} RESULT_VARIABLE result ERROR_VARIABLE errors
                  OUTPUT_QUIET)
  if(result EQUAL 0 OR NOT errors MATCHES "veltranix-replay: ")
    message(FATAL_ERROR "bad input accepted: ${bad} -> ${result} ${errors}")
  endif()
endforeach()
file(MD5 ${WORK}/face.avi videoAfter)
if(NOT videoBefore STREQUAL videoAfter)
  message(FATAL_ERROR "a refused run changed the input video")
endif()

# Errors name the file and the system's reason: a store that cannot be saved
# (procfs takes no new files, even from root), a store that is not a store,
# a program folder without config.ini.
execute_process(COMMAND ${TOOL} --video ${WORK}/face.avi --config-dir /proc --set so=1
                RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
if(result EQUAL 0 OR NOT errors MATCHES "cannot save so: .*/proc")
  message(FATAL_ERROR "an unwritable store is not reported as such: ${result} ${errors}")
endif()
file(MAKE_DIRECTORY ${WORK}/config-corrupt)
file(WRITE ${WORK}/config-corrupt/settings.store "not a store at all\n")
execute_process(COMMAND ${TOOL} --video ${WORK}/face.avi --config-dir ${WORK}/config-corrupt
                  --frames 1
                RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
if(NOT result EQUAL 0 OR NOT errors MATCHES "warning: .*settings.store.*kept as .*corrupt-")
  message(FATAL_ERROR "a store set aside is not reported: ${result} ${errors}")
endif()
get_filename_component(programFolder ${TOOL} DIRECTORY)
file(MAKE_DIRECTORY ${WORK}/program)
file(COPY ${TOOL} ${programFolder}/lib_ini DESTINATION ${WORK}/program)
get_filename_component(toolName ${TOOL} NAME)
execute_process(COMMAND ${WORK}/program/${toolName} --video ${WORK}/face.avi
                  --config-dir ${WORK}/config-program
                RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
if(result EQUAL 0 OR NOT errors MATCHES "config.ini: No such file or directory")
  message(FATAL_ERROR "a missing config.ini is not named: ${result} ${errors}")
endif()

# MP3 fixtures made with Debian's lame at build time, from tones our own helper writes, so
# that no sound file is kept in the tree. Each encoded tone keeps its WAV source next to it:
# the decoded sound is compared with that.
set(TAVRIN_MP3_FIXTURES ${CMAKE_BINARY_DIR}/fixtures/mp3)
find_program(TAVRIN_LAME lame REQUIRED)

add_executable(tavrin_make_fixture make_fixture.cpp)
target_compile_options(tavrin_make_fixture PRIVATE ${TAVRIN_WARNINGS})

set(TAVRIN_MP3_OUTPUTS)

# NAME.wav from make_fixture's tone arguments, and NAME.mp3 from it with the lame options
# after LAME. --resample pins the rate: lame would otherwise pick one for low bitrates.
function(tavrin_mp3_tone name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "TONE;LAME")
  set(wav ${TAVRIN_MP3_FIXTURES}/${name}.wav)
  set(mp3 ${TAVRIN_MP3_FIXTURES}/${name}.mp3)
  add_custom_command(OUTPUT ${wav} ${mp3}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TAVRIN_MP3_FIXTURES}
    COMMAND tavrin_make_fixture tone ${wav} ${arg_TONE}
    COMMAND ${TAVRIN_LAME} --quiet --noreplaygain ${arg_LAME} ${wav} ${mp3}
    DEPENDS tavrin_make_fixture VERBATIM)
  set(TAVRIN_MP3_OUTPUTS ${TAVRIN_MP3_OUTPUTS} ${wav} ${mp3} PARENT_SCOPE)
endfunction()

# NAME from make_fixture's other commands (bytes, cut, cat) on the files in DEPENDS.
function(tavrin_mp3_made name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "ARGS;DEPENDS")
  set(out ${TAVRIN_MP3_FIXTURES}/${name})
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${TAVRIN_MP3_FIXTURES}
    COMMAND tavrin_make_fixture ${arg_ARGS}
    DEPENDS tavrin_make_fixture ${arg_DEPENDS} VERBATIM)
  set(TAVRIN_MP3_OUTPUTS ${TAVRIN_MP3_OUTPUTS} ${out} PARENT_SCOPE)
endfunction()

# Tone arguments: RATE CHANNELS SECONDS FREQ[,FREQ...] NOISE.
tavrin_mp3_tone(mpeg1_44k_stereo_cbr TONE 44100 2 3 440 0 LAME -b 128 --cbr -m s --resample 44.1)
tavrin_mp3_tone(mpeg1_44k_joint_vbr TONE 44100 2 3 440,1000 0.05 LAME -V 2 -m j --resample 44.1)
tavrin_mp3_tone(mpeg1_32k_mono_cbr TONE 32000 1 2 3000 0 LAME -b 64 --cbr -m m --resample 32)
tavrin_mp3_tone(mpeg2_22k_mono_cbr TONE 22050 1 2 1000 0 LAME -b 64 --cbr -m m --resample 22.05)
tavrin_mp3_tone(mpeg2_24k_joint_vbr TONE 24000 2 2 1500 0.02 LAME -V 4 -m j --resample 24)
# 32 kbps rather than less: a 16 kbps frame at 8 kHz is too short for the whole LAME tag,
# and without its delay and padding no decoder can be gapless.
tavrin_mp3_tone(mpeg25_8k_mono_cbr TONE 8000 1 2 1000 0 LAME -b 32 --cbr -m m --resample 8)
tavrin_mp3_tone(mpeg25_11k_stereo_cbr TONE 11025 2 2 700 0 LAME -b 32 --cbr -m s --resample 11.025)
# A beep of a few frames only.
tavrin_mp3_tone(short_beep TONE 44100 2 0.1 880 0 LAME -b 128 --cbr -m j --resample 44.1)

set(dir ${TAVRIN_MP3_FIXTURES})
# The splash picture makes an ID3v2 tag of about 180 KB in front; the title adds an ID3v1 one.
add_custom_command(OUTPUT ${dir}/tagged.mp3
  COMMAND ${TAVRIN_LAME} --quiet --noreplaygain -b 128 --cbr -m s --add-id3v2
          --ti ${CMAKE_SOURCE_DIR}/ui/res/splash.jpg --tt Tavrin --ta Tavrin
          ${dir}/mpeg1_44k_stereo_cbr.wav ${dir}/tagged.mp3
  DEPENDS ${dir}/mpeg1_44k_stereo_cbr.wav ${CMAKE_SOURCE_DIR}/ui/res/splash.jpg VERBATIM)
list(APPEND TAVRIN_MP3_OUTPUTS ${dir}/tagged.mp3)

# Any text will do; this one is always there.
add_custom_command(OUTPUT ${dir}/text.mp3
  COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/CMakeLists.txt ${dir}/text.mp3
  DEPENDS ${CMAKE_SOURCE_DIR}/CMakeLists.txt VERBATIM)
list(APPEND TAVRIN_MP3_OUTPUTS ${dir}/text.mp3)

set(cbr ${dir}/mpeg1_44k_stereo_cbr.mp3)
tavrin_mp3_made(truncated.mp3 ARGS cut ${dir}/truncated.mp3 ${cbr} 30000 DEPENDS ${cbr})
# The info frame and the start of the first audio frame.
tavrin_mp3_made(header_only.mp3 ARGS cut ${dir}/header_only.mp3 ${cbr} 600 DEPENDS ${cbr})
tavrin_mp3_made(tag_only.mp3 ARGS cut ${dir}/tag_only.mp3 ${dir}/tagged.mp3 100000
                DEPENDS ${dir}/tagged.mp3)
# A cut file with a whole one behind it: a damaged stretch in the middle of the sound.
tavrin_mp3_made(spliced.mp3 ARGS cat ${dir}/spliced.mp3 ${dir}/truncated.mp3 ${cbr}
                DEPENDS ${dir}/truncated.mp3 ${cbr})
tavrin_mp3_made(random.mp3 ARGS bytes ${dir}/random.mp3 262144 7)
tavrin_mp3_made(empty.mp3 ARGS bytes ${dir}/empty.mp3 0 0)
# Junk in front of the first frame: a little is skipped, but not a quarter of a megabyte.
tavrin_mp3_made(junk.bin ARGS bytes ${dir}/junk.bin 1000 3)
tavrin_mp3_made(junk_in_front.mp3 ARGS cat ${dir}/junk_in_front.mp3 ${dir}/junk.bin ${cbr}
                DEPENDS ${dir}/junk.bin ${cbr})
tavrin_mp3_made(too_much_junk.mp3 ARGS cat ${dir}/too_much_junk.mp3 ${dir}/random.mp3 ${cbr}
                DEPENDS ${dir}/random.mp3 ${cbr})
tavrin_mp3_made(format_change.mp3
  ARGS cat ${dir}/format_change.mp3 ${cbr} ${dir}/mpeg2_22k_mono_cbr.mp3
  DEPENDS ${cbr} ${dir}/mpeg2_22k_mono_cbr.mp3)

add_custom_target(tavrin_mp3_fixtures DEPENDS ${TAVRIN_MP3_OUTPUTS})

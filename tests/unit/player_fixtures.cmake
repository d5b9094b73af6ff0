# A sound long enough for the player's tests to stop it half-way, also played under Wine.
set(TAVRIN_MP3_OUTPUTS)
tavrin_mp3_tone(long_44k_stereo_cbr TONE 44100 2 40 440,660 0.02 LAME -b 128 --cbr -m s --resample 44.1)
add_custom_target(tavrin_player_fixtures DEPENDS ${TAVRIN_MP3_OUTPUTS})

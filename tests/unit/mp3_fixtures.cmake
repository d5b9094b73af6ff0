# MP3 fixtures made with Debian's lame at build time.
add_custom_target(tavrin_mp3_fixtures)

// A shared object with none of the audio library's functions: the tests put it where the program looks for
// SDL2_mixer, to check that SOUND then fails cleanly.
extern "C" int qm_empty_shared_object_marker() {
    return 1;
}

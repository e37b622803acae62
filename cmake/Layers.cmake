# The libraries of src/, lowest first. A file may include only from its own folder and from
# folders earlier in this list, and a library links exactly the libraries it includes from;
# the layer_order test (cmake/check_layers.cmake) holds every file to that. Only the layers in
# VISTREL_QT_LAYERS include Qt: the core stays free of it.
set(VISTREL_LAYERS
    riff
    platform/system
    platform/settings
    platform/text
    platform/ui
    platform/mixer
    platform/ffmpeg
    platform/codec
    platform/acm
    platform/waveout
    platform/ks
    common
    platform/display
    color
    scale
    avi
    audio
    audio/ks
    video
    playback
    app)
set(VISTREL_QT_LAYERS platform/settings platform/text platform/ui platform/display app)

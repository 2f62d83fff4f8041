#!/usr/bin/env bash
# The private sound server of the tests as PipeWire: see soundserver.sh.
CHIRPEL_TEST_SOUND_SERVER=pipewire exec "$(dirname "$0")/soundserver.sh" "$@"

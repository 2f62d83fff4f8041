#!/usr/bin/env bash
# Makes the speech samples the packing benchmarks use, in folder $1 (kept when already there):
#   speech20.wav   20 s of speech, 44100 Hz 16-bit stereo (the two channels different voices)
#   speech300.wav  5 minutes of the same kind
#   mono22k.wav    the speech as espeak-ng says it: 22050 Hz 16-bit mono
#   mono11k8.wav   11025 Hz 8-bit unsigned mono
set -euo pipefail
dir=$1
mkdir -p "$dir"
cd "$dir"
[ -f speech300.wav ] && exit 0

left="Hello Grandma. This is a short message for you. I drew a picture of a big red dog today, and we
went to the park after lunch. The swings were fun and I went really high, almost up to the clouds.
Can you come and visit us on Sunday? We can bake cookies together and play with the cat."
right="Guess what happened at school. We had a music lesson and I played the drum. My friend Sam
played the little bells. Then it rained, so we stayed inside and built a tower from blocks.
It fell down twice but the third time it stayed up. Bye bye, talk to you soon."
espeak-ng -v en-us -s 150 -w left.wav "$left"
espeak-ng -v en+f3 -s 160 -w right.wav "$right"
sox left.wav -r 44100 l44.wav
sox right.wav -r 44100 r44.wav pad 0.3
sox -M l44.wav r44.wav -b 16 both.wav
sox both.wav speech20.wav repeat 5 trim 0 20
sox both.wav speech300.wav repeat 40 trim 0 300
sox left.wav -b 16 mono22k.wav
sox left.wav -r 11025 -b 8 -e unsigned-integer mono11k8.wav
rm -f left.wav right.wav l44.wav r44.wav both.wav

// Writes the program's beep: a short, soft upward chirp as 22050 Hz, 8-bit, mono RIFF WAVE.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int Rate = 22050;
constexpr int Frames = 4824; // about 0.22 s

void put16(std::vector<unsigned char> &out, unsigned v)
{
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}

void put32(std::vector<unsigned char> &out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void putId(std::vector<unsigned char> &out, const char *id)
{
    out.insert(out.end(), id, id + 4);
}

// A sine gliding from 880 Hz up to 1320 Hz in the first third, with a little second harmonic,
// a 6 ms rise and a smooth fall: bright enough to notice, gentle enough for small ears.
double sample(int i)
{
    const double t = double(i) / Rate;
    const double length = double(Frames) / Rate;
    const double glide = length / 3;
    const double f0 = 880, f1 = 1320;
    // Phase of a linear glide, then of the steady tone.
    const double phase = t < glide ? 2 * M_PI * (f0 * t + (f1 - f0) * t * t / (2 * glide))
                                   : 2 * M_PI * (f0 * glide + (f1 - f0) * glide / 2 + f1 * (t - glide));
    const double rise = std::fmin(1.0, t / 0.006);
    const double fall = std::pow(std::cos(M_PI / 2 * t / length), 2);
    return 0.55 * rise * fall * (std::sin(phase) + 0.2 * std::sin(2 * phase));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: beepgen <output.wav>\n");
        return 2;
    }
    std::vector<unsigned char> wav;
    putId(wav, "RIFF");
    put32(wav, 36 + Frames);
    putId(wav, "WAVE");
    putId(wav, "fmt ");
    put32(wav, 16);
    put16(wav, 1);    // PCM
    put16(wav, 1);    // mono
    put32(wav, Rate); // samples per second
    put32(wav, Rate); // bytes per second
    put16(wav, 1);    // block alignment
    put16(wav, 8);    // bits per sample
    putId(wav, "data");
    put32(wav, Frames);
    for (int i = 0; i < Frames; ++i)
        wav.push_back(static_cast<unsigned char>(std::lround(128 + 127 * sample(i))));

    std::FILE *file = std::fopen(argv[1], "wb");
    if (!file || std::fwrite(wav.data(), 1, wav.size(), file) != wav.size() || std::fclose(file) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    return 0;
}

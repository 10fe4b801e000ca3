// The offline renderer driven in-process against the built plug-in library:
// alignment, mono handling, settings by name and value, the summary, and the
// refusals that must leave no output file behind.
#ifdef HOK_RENDER_TESTS
#include <dirent.h>
#include <ebur128.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/Checks.h"
#include "tools/render/ParameterValues.h"
#include "tools/render/PluginHost.h"
#include "tools/render/Renderer.h"

namespace {

struct Run {
    int status = -1;
    std::string out, err;
};

std::string slurp(FILE* f) {
    std::string s;
    std::rewind(f);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    std::fclose(f);
    return s;
}

Run render(std::vector<std::string> args) {
    args.insert(args.begin(), "--no-progress");
    FILE* out = std::tmpfile();
    FILE* err = std::tmpfile();
    Run r;
    r.status = runRenderer(args, out, err);
    r.out = slurp(out);
    r.err = slurp(err);
    return r;
}

// The names in a folder, without "." and "..".
std::vector<std::string> listDir(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* d = opendir(path.c_str())) {
        while (dirent* e = readdir(d))
            if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
        closedir(d);
    }
    return names;
}

struct TempDir {
    std::string path;
    TempDir() {
        char name[] = "/tmp/hok-render-test-XXXXXX";
        path = mkdtemp(name) ? name : "/tmp";
    }
    ~TempDir() {
        chmod(path.c_str(), 0700);
        for (const std::string& f : entries()) std::remove((path + "/" + f).c_str());
        rmdir(path.c_str());
    }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
    std::vector<std::string> entries() const { return listDir(path); }
};

struct Audio {
    int channels = 0, rate = 0, format = 0;
    std::vector<float> samples;  // interleaved
    long frames() const { return channels ? (long)samples.size() / channels : 0; }
    float at(long frame, int c) const { return samples[(size_t)frame * channels + c]; }
};

bool writeAudio(const std::string& path, const Audio& a) {
    SF_INFO info{};
    info.channels = a.channels;
    info.samplerate = a.rate;
    info.format = a.format;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!f) return false;
    sf_writef_float(f, a.samples.data(), a.frames());
    return sf_close(f) == 0;
}

Audio readAudio(const std::string& path) {
    Audio a;
    SF_INFO info{};
    SNDFILE* f = sf_open(path.c_str(), SFM_READ, &info);
    if (!f) return a;
    a.channels = info.channels;
    a.rate = info.samplerate;
    a.format = info.format;
    a.samples.resize((size_t)info.frames * info.channels);
    sf_readf_float(f, a.samples.data(), info.frames);
    sf_close(f);
    return a;
}

// A quiet two-tone signal with one click on each channel.
Audio quietSignal(int channels, long frames, int format) {
    Audio a;
    a.channels = channels;
    a.rate = 44100;
    a.format = format;
    a.samples.resize((size_t)frames * channels);
    for (long i = 0; i < frames; i++)
        for (int c = 0; c < channels; c++)
            a.samples[(size_t)i * channels + c] = (float)(0.2 * std::sin(0.0627 * i + c) + 0.05 * std::sin(0.31 * i));
    if (frames > 10000) a.samples[(size_t)10000 * channels] = 0.9f;
    if (channels == 2 && frames > 15000) a.samples[(size_t)15000 * channels + 1] = -0.85f;
    return a;
}

// A stereo 100 Hz sine at twice full scale, in a float WAV.
Audio hotSine(int rate, long frames) {
    Audio a;
    a.channels = 2, a.rate = rate, a.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    for (long i = 0; i < frames; i++) {
        float v = (float)(2.0 * std::sin(2 * M_PI * 100.0 * i / rate));
        a.samples.insert(a.samples.end(), {v, v});
    }
    return a;
}

long loudestFrame(const Audio& a, int c) {
    long best = -1;
    float peak = -1.0f;
    for (long i = 0; i < a.frames(); i++)
        if (std::fabs(a.at(i, c)) > peak) peak = std::fabs(a.at(i, c)), best = i;
    return best;
}

// The largest difference between two signals, over the shorter one.
double maxDifference(const std::vector<float>& a, const std::vector<float>& b) {
    double worst = 0.0;
    for (size_t i = 0; i < a.size() && i < b.size(); i++) worst = std::fmax(worst, std::fabs(double(a[i]) - b[i]));
    return worst;
}

bool contains(const std::string& s, const std::string& part) { return s.find(part) != std::string::npos; }

// The display text that --list prints for one parameter (its column, trimmed).
std::string listed(const std::string& listing, const std::string& name) {
    size_t at = listing.find("  " + name + " ");
    if (at == std::string::npos) return "";
    size_t line = listing.rfind('\n', at);
    line = line == std::string::npos ? 0 : line + 1;
    std::string column = listing.substr(line + 28, 11);
    size_t b = column.find_first_not_of(' '), e = column.find_last_not_of(' ');
    return b == std::string::npos ? "" : column.substr(b, e - b + 1);
}

// A value of the summary, after its label; 1.0 when the summary has no such line.
double summaryValue(const std::string& out, const std::string& label) {
    size_t at = out.find(label);
    return at == std::string::npos ? 1.0 : std::atof(out.c_str() + at + label.size());
}
double summaryReduction(const std::string& out) { return summaryValue(out, "deepest gain reduction  "); }
double summaryKnee(const std::string& out) { return summaryValue(out, "deepest soft knee       "); }

// Width and height from a PNG file's header; 0 × 0 for anything else.
std::pair<int, int> pngSize(const std::string& path) {
    unsigned char header[24] = {};
    FILE* png = std::fopen(path.c_str(), "rb");
    const bool read = png && std::fread(header, 1, sizeof header, png) == sizeof header;
    if (png) std::fclose(png);
    if (!read || std::memcmp(header + 1, "PNG", 3) != 0) return {0, 0};
    return {header[18] << 8 | header[19], header[22] << 8 | header[23]};
}

// A file of plain text, named as audio.
std::string textFile(const std::string& path) {
    if (FILE* f = std::fopen(path.c_str(), "w")) {
        std::fputs("not audio at all\n", f);
        std::fclose(f);
    }
    return path;
}

double number(std::string text) {
    for (char& c : text)
        if (c == ':') c = '.';
    return std::atof(text.c_str());
}

}  // namespace

TEST_CASE("defaults pass a quiet stereo or mono file unchanged, aligned sample for sample and as long" *
          doctest::test_suite("tools.render")) {
    TempDir dir;
    const struct {
        int channels, format;
        const char* name;
        std::vector<std::string> extra;
        double tolerance;
        const char* says;
    } cases[] = {
        {2, SF_FORMAT_WAV | SF_FORMAT_FLOAT, "float.wav", {}, 1e-6, "deepest gain reduction  none"},
        {2, SF_FORMAT_AIFF | SF_FORMAT_PCM_24, "24.aiff", {}, 1e-6, "deepest gain reduction  none"},
        {2, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, "16.flac", {}, 1e-6, "deepest gain reduction  none"},
        // A mono file goes through one buffer for both inputs and comes out mono.
        {1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, "mono.wav", {"--list"}, 1.0 / 32768.0, "input   mono"},
    };
    for (const auto& t : cases) {
        CHECK(writeAudio(dir / t.name, quietSignal(t.channels, 30000, t.format)));
        std::vector<std::string> args = {dir / t.name, dir / ("out-" + std::string(t.name))};
        args.insert(args.end(), t.extra.begin(), t.extra.end());
        Run r = render(args);
        CHECK_EQ(r.status, 0);
        Audio out = readAudio(dir / ("out-" + std::string(t.name)));
        Audio stored = readAudio(dir / t.name);
        CHECK_EQ(out.format, t.format);
        CHECK_EQ(out.channels, t.channels);
        CHECK_EQ(out.frames(), stored.frames());
        CHECK_EQ(loudestFrame(out, 0), 10000L);
        if (t.channels == 2) CHECK_EQ(loudestFrame(out, 1), 15000L);
        CHECK_NEAR(maxDifference(out.samples, stored.samples), 0.0, t.tolerance);
        CHECK(contains(r.out, t.says));
    }
}

// A drum-like hot mix: decaying low thumps and a chord, peaks near +5 dBFS.
Audio hotMix(long frames) {
    Audio a;
    a.channels = 2, a.rate = 44100, a.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    for (long i = 0; i < frames; i++) {
        double t = i / 44100.0, beat = std::fmod(t, 0.25);
        double thump = std::sin(2 * M_PI * 60 * beat) * std::exp(-beat * 12) * 1.3;
        double chord = 0.3 * std::sin(2 * M_PI * 220 * t) + 0.25 * std::sin(2 * M_PI * 331 * t);
        a.samples.push_back((float)(thump + chord));
        a.samples.push_back((float)(thump - chord * 0.8));
    }
    return a;
}

// The deepest applied gain in dB: output over input where the input is not silent.
double deepestRatio(const Audio& in, const Audio& out) {
    double deepest = 1.0;
    for (size_t i = 0; i < in.samples.size() && i < out.samples.size(); i++)
        if (std::fabs(in.samples[i]) > 1e-3) deepest = std::fmin(deepest, std::fabs(out.samples[i] / in.samples[i]));
    return 20 * std::log10(deepest);
}

TEST_CASE("the reported gain reduction is what limiter and knee applied, whatever the output gain" *
          doctest::test_suite("tools.render")) {
    TempDir dir;
    Audio in = hotMix(44100);
    CHECK(writeAudio(dir / "mix.wav", in));
    // Without the knee, drive and output at unity, output over input is the limiter's gain.
    Run plain = render({dir / "mix.wav", dir / "out.wav", "--set", "Algorithm=Full"});
    CHECK_EQ(plain.status, 0);
    const double expected = deepestRatio(in, readAudio(dir / "out.wav"));
    CHECK(expected < -3.0);
    CHECK_NEAR(summaryReduction(plain.out), expected, 0.006);
    CHECK(!contains(plain.out, "deepest soft knee"));
    // Output gain comes after the limiter; more drive means more reduction.
    Run quieter = render({dir / "mix.wav", dir / "out.wav", "--set", "Algorithm=Full", "--set", "Out Gain=-6"});
    CHECK_NEAR(summaryReduction(quieter.out), expected, 0.006);
    Run louder = render({dir / "mix.wav", dir / "out.wav", "--set", "Algorithm=Full", "--set", "Limiter Gain=+6"});
    CHECK_NEAR(summaryReduction(louder.out), expected - 6.0, 0.6);
    // The equaliser runs before the drive and does not count as reduction.
    Run eq = render({dir / "mix.wav", dir / "out.wav", "--set", "Algorithm=Full", "--set", "Bass Boost=-12dB"});
    CHECK(summaryReduction(eq.out) > expected);
    // With the soft knee (the default) each sample gets knee times limiter gain:
    // the deepest of that lies between the sum of both deepest values and either one.
    Run knee = render({dir / "mix.wav", dir / "out.wav"});
    const double total = deepestRatio(in, readAudio(dir / "out.wav"));
    const double limiter = summaryReduction(knee.out), soft = summaryKnee(knee.out);
    CHECK(soft < -0.5);
    CHECK(total >= limiter + soft - 0.01);
    CHECK(total <= std::min(limiter, soft) + 0.01);
}

TEST_CASE("another VST 2 library renders the same file, without meters to read" * doctest::test_suite("tools.render")) {
    TempDir dir;
    CHECK(writeAudio(dir / "mix.wav", hotMix(20000)));
    Run builtIn = render({dir / "mix.wav", dir / "a.wav"});
    Run loaded = render({"--plugin", HOK_PLUGIN_PATH, dir / "mix.wav", dir / "b.wav"});
    CHECK_EQ(loaded.status, 0);
    const Audio a = readAudio(dir / "a.wav"), b = readAudio(dir / "b.wav");
    CHECK(a.samples == b.samples);
    CHECK(contains(loaded.out, "gain reduction not measured"));
    Run picture = render({"--plugin", HOK_PLUGIN_PATH, dir / "mix.wav", dir / "c.wav", "--editor-png", dir / "e.png"});
    CHECK(picture.status != 0);
}

TEST_CASE("--editor-png paints the editor; a failed picture leaves no audio presented as done" *
          doctest::test_suite("tools.render")) {
    TempDir dir;
    CHECK(writeAudio(dir / "mix.wav", hotMix(20000)));
    Run r = render({dir / "mix.wav", dir / "out.wav", "--editor-png", dir / "editor.png"});
    CHECK_EQ(r.status, 0);
    CHECK(pngSize(dir / "editor.png") == std::make_pair(512, 133));  // the EQ section closed
    Run open = render({dir / "mix.wav", dir / "out2.wav", "--editor-png", dir / "open.png", "--set", "EQ Display=Open"});
    CHECK_EQ(open.status, 0);
    CHECK(pngSize(dir / "open.png") == std::make_pair(512, 218));
    Run bad = render({dir / "mix.wav", dir / "out3.wav", "--editor-png", dir / "nowhere/editor.png"});
    CHECK(bad.status != 0);
    CHECK(access((dir / "out3.wav").c_str(), F_OK) != 0);
    CHECK_EQ(dir.entries().size(), (size_t)5);  // mix, out, editor.png, out2, open.png
}

TEST_CASE("settings by name in display units read back through the display" * doctest::test_suite("tools.render")) {
    Run r = render({"--list", "--set", "limiter gain=+4.5", "--set", "Algorithm=smooth sk", "--set",
                    "Mid Freq=1200", "--set", "Bass Boost=-3dB", "--set", "Hi Boost=41%", "--set", "Out Gain=-6",
                    "--set", "softknee=Slow", "--set", "Dull-Sharp=50", "--set", "Mid Boost=-42"});
    CHECK_EQ(r.status, 0);
    CHECK_NEAR(number(listed(r.out, "Limiter Gain")), 4.5, 0.1);
    CHECK_STR(listed(r.out, "Algorithm"), "Smooth SK");
    CHECK_STR(listed(r.out, "Mid Freq"), "1200 Hz");
    CHECK_NEAR(number(listed(r.out, "Bass Boost")), -3.0, 0.1);
    CHECK(contains(listed(r.out, "Bass Boost"), " dB"));
    CHECK_STR(listed(r.out, "Hi   Boost"), "41%");
    CHECK_STR(listed(r.out, "Out Gain"), "-6.0 dB");
    CHECK_STR(listed(r.out, "SoftKnee       S/M/H"), "Slow");
    CHECK_NEAR(number(listed(r.out, "Dull-Sharp")), 50.0, 0.7);
    CHECK_STR(listed(r.out, "Mid  Boost"), "-42 dB");  // the deepest cut the display shows
}

TEST_CASE("--list shows values and ranges as --set takes them, and --set takes them back" *
          doctest::test_suite("tools.render")) {
    Run r = render({"--list"});
    CHECK_EQ(r.status, 0);
    CHECK_STR(listed(r.out, "Limiter Gain"), "0.00 dB");
    CHECK_STR(listed(r.out, "Treble Freq"), "3000 Hz");
    CHECK_STR(listed(r.out, "Stereo Link"), "Linked");
    CHECK(contains(r.out, "0.00 dB     -96 to +16 dB\n"));
    CHECK(contains(r.out, "inf, -42 to 0 dB, 0 to 100%\n"));
    CHECK(contains(r.out, "Full, Smooth, Falling, Full SK, Smooth SK, Falling SK\n"));
    // Every value, set again as listed (0 dB included, which must not turn into "-0.0 dB"),
    // lists the same, also after a cut at a step's lower edge.
    std::vector<std::string> args = {"--list", "--set", "Mid Boost=-42"};
    size_t line = r.out.find('\n') + 1, lines = 0;
    for (; line < r.out.size(); line = r.out.find('\n', line) + 1, lines++) {
        std::string name = r.out.substr(line + 5, 22);
        name.erase(name.find_last_not_of(' ') + 1);
        if (name != "Mid  Boost") args.insert(args.end(), {"--set", name + "=" + listed(r.out, name)});
    }
    CHECK_EQ(lines, (size_t)17);
    Run again = render(args);
    CHECK_EQ(again.status, 0);
    CHECK_STR(listed(again.out, "Mid  Boost"), "-42 dB");
    for (const char* name : {"Limiter Gain", "Dull-Sharp", "Out Gain", "Algorithm", "Body Boost", "Bass Freq",
                             "Force Channels  S/L/R", "EQ Display"})
        CHECK_STR(listed(again.out, name), listed(r.out, name));
    // The instances that render copy that edge value, not the step below it.
    PluginLibrary library;
    std::string error, shown;
    CHECK(library.load(HOK_PLUGIN_PATH, error));
    PluginInstance settings(library.create()), copy(library.create());
    CHECK(applySetting(settings, "Mid Boost=-42", shown, error));
    copy.copyParametersFrom(settings);
    CHECK_STR(copy.display(8), settings.display(8));
}

TEST_CASE("refusals and bad files say what is accepted, exit non-zero and leave no file behind" *
          doctest::test_suite("tools.render")) {
    TempDir dir;
    Audio six = quietSignal(1, 1000, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    six.channels = 6;
    six.samples.resize(6000);
    CHECK(writeAudio(dir / "six.wav", six));
    Audio slow = quietSignal(1, 1000, SF_FORMAT_AIFF | SF_FORMAT_PCM_16), none = slow;
    slow.rate = 4000;
    none.samples.clear();
    CHECK(writeAudio(dir / "slow.aiff", slow));
    CHECK(writeAudio(dir / "none.wav", none));
    std::fclose(std::fopen((dir / "empty.flac").c_str(), "w"));
    CHECK(writeAudio(dir / "in.wav", quietSignal(2, 5000, SF_FORMAT_WAV | SF_FORMAT_PCM_16)));
    textFile(dir / "text.wav");
    // A FLAC file cut in the middle of its frames.
    CHECK(writeAudio(dir / "cut.flac", quietSignal(2, 30000, SF_FORMAT_FLAC | SF_FORMAT_PCM_16)));
    struct stat st {};
    stat((dir / "cut.flac").c_str(), &st);
    CHECK(truncate((dir / "cut.flac").c_str(), st.st_size / 2) == 0);
    mkdir((dir / "locked").c_str(), 0500);
    mkdir((dir / "folder.wav").c_str(), 0700);

    const std::string in = dir / "in.wav", out = dir / "out.wav";
    struct Case {
        std::vector<std::string> args;
        std::string says;
    } cases[] = {
        {{"--set", "Loudness=3", in, out}, "unknown parameter 'Loudness'; the parameters are \"Limiter Gain\""},
        {{"--set", "EQ=On", in, out}, "ambiguous"},
        {{"--set", "Limiter Gain=+40", in, out}, "it takes -96 to +16 dB"},
        {{"--set", "Mid Freq=200", in, out}, "it takes 500 to 3000 Hz"},
        {{"--set", "Algorithm=Loud", in, out}, "Smooth SK, Falling SK"},
        {{"--target-lufs", "-9", "--set", "Limiter=+3", in, out}, "\"Limiter Gain\" is chosen by --target-lufs"},
        {{"--true-peak-ceiling", "-1", "--set", "Out Gain=-1", in, out}, "\"Out Gain\" is chosen by --true-peak-ceiling"},
        {{"--set", "Bass Freq=100dB", in, out}, "not accepted"},
        {{"--set", "Limiter Gain", in, out}, "Name=Value"},
        {{"--program", "10", in, out}, "programs are 0 to 9"},
        {{dir / "missing.wav", out}, "cannot read"},
        {{dir / "text.wav", out}, "cannot read"},
        {{dir / "cut.flac", out}, "cannot read"},
        {{dir / "six.wav", out}, "has 6 channels"},
        {{dir / "slow.aiff", out}, "has a sample rate of 4000 Hz; rates from 8000 to 384000 Hz"},
        {{dir / "none.wav", out}, "holds no audio"},
        {{dir / "empty.flac", out}, "the file is empty"},
        {{in, in}, "is the input itself"},
        {{in, dir / "nowhere/out.wav"}, "the folder '" + dir / "nowhere' does not exist"},
        {{in, dir / "out.mp3"}, "use a .wav, .aiff, .flac or .ogg name"},
        {{in, dir / "folder.wav"}, "it is a directory"},
        // Root writes into read-only directories anyway.
        {{in, geteuid() == 0 ? dir / "nowhere/x.wav" : dir / "locked/out.wav"}, "cannot write"},
    };
    for (const Case& c : cases) {
        Run r = render(c.args);
        CHECK(r.status != 0);
        if (!contains(r.err, c.says)) CHECK_STR(r.err, c.says);
    }
    CHECK_EQ(dir.entries().size(), (size_t)9);  // the seven inputs, locked, folder.wav
    CHECK(access((dir / "locked/out.wav").c_str(), F_OK) != 0);
    rmdir((dir / "locked").c_str());
    rmdir((dir / "folder.wav").c_str());
}
// Integrated loudness (LUFS) and true peak (dBTP) after libebur128.
struct Loudness {
    double lufs = -HUGE_VAL, truePeak = -HUGE_VAL;
};

Loudness measure(const Audio& a) {
    Loudness m;
    ebur128_state* st = ebur128_init((unsigned)a.channels, (unsigned long)a.rate, EBUR128_MODE_I | EBUR128_MODE_TRUE_PEAK);
    if (!st) return m;
    ebur128_add_frames_float(st, a.samples.data(), (size_t)a.frames());
    ebur128_loudness_global(st, &m.lufs);
    double peak = 0.0;
    for (int c = 0; c < a.channels; c++) {
        double p = 0.0;
        ebur128_true_peak(st, (unsigned)c, &p);
        peak = std::max(peak, p);
    }
    m.truePeak = 20 * std::log10(peak);
    ebur128_destroy(&st);
    return m;
}

TEST_CASE("a hot signal is limited to full scale; every writable format keeps length and layout, clipped, not wrapped" *
          doctest::test_suite("tools.render")) {
    TempDir dir;
    // "Full" limits each half-wave's peak to exactly full scale, and the summary measures it.
    CHECK(writeAudio(dir / "hot.wav", hotSine(48000, 24000)));
    const Run hot = render({dir / "hot.wav", dir / "ref.wav", "--set", "Algorithm=Full"});
    CHECK_EQ(hot.status, 0);
    CHECK(contains(hot.out, "sample peak    +6.02 dBFS"));
    CHECK(contains(hot.out, "set     Algorithm = Full\n"));
    // Each half-wave gets 1/2: about -6.02 dB, deeper only where ramps overlap.
    CHECK(summaryReduction(hot.out) <= -6.0);
    CHECK(summaryReduction(hot.out) >= -6.5);
    const Audio reference = readAudio(dir / "ref.wav");
    CHECK_EQ(reference.frames(), 24000L);
    struct Target {
        const char* name;
        const char* bits;
        int format;
        double step;  // the stored step; 0 for a lossy format
    } targets[] = {
        {"16.wav", "16", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1.0 / 32768},
        {"24.aiff", "24", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 1.0 / 8388608},
        {"16.flac", "16", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1.0 / 32768},
        {"24.flac", nullptr, SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 1.0 / 8388608},  // float input: 24 bits
        {"vorbis.ogg", nullptr, SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0.0},
    };
    for (const Target& t : targets) {
        std::vector<std::string> args = {dir / "hot.wav", dir / t.name, "--set", "Algorithm=Full"};
        if (t.bits) args.insert(args.end(), {"--bits", t.bits});
        Run r = render(args);
        CHECK_EQ(r.status, 0);
        Audio out = readAudio(dir / t.name);
        CHECK_EQ(out.format, t.format);
        CHECK_EQ(out.channels, 2);
        CHECK_EQ(out.frames(), reference.frames());
        if (out.frames() != reference.frames()) continue;
        if (t.step > 0.0) {
            CHECK(maxDifference(out.samples, reference.samples) <= t.step + 1e-6);
            CHECK_EQ(*std::min_element(out.samples.begin(), out.samples.end()), -1.0f);
            CHECK_NEAR(*std::max_element(out.samples.begin(), out.samples.end()), 1.0, t.step + 1e-6);
        } else {
            CHECK_NEAR(measure(out).lufs, measure(reference).lufs, 0.2);
        }
        // Each written file reads back in as an input.
        Run back = render({dir / t.name, dir / "back.wav"});
        CHECK_EQ(back.status, 0);
        CHECK_EQ(readAudio(dir / "back.wav").frames(), reference.frames());
    }
    // Coded inputs that this libsndfile can make (and so reads): Opus at 48 kHz, MP3.
    for (int format : {SF_FORMAT_OGG | SF_FORMAT_OPUS, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III}) {
        Audio coded = quietSignal(2, 24000, format);
        coded.rate = (format & SF_FORMAT_SUBMASK) == SF_FORMAT_OPUS ? 48000 : 44100;
        SF_INFO info{coded.frames(), coded.rate, coded.channels, format, 0, 0};
        if (!sf_format_check(&info)) continue;
        const std::string name = dir / ((format & SF_FORMAT_SUBMASK) == SF_FORMAT_OPUS ? "in.opus" : "in.mp3");
        CHECK(writeAudio(name, coded));
        Run r = render({name, dir / "coded.wav"});
        CHECK_EQ(r.status, 0);
        CHECK_EQ(readAudio(dir / "coded.wav").frames(), readAudio(name).frames());
    }
}

TEST_CASE("a batch brings each file to the loudness goal with its own drive and names the one that failed" *
          doctest::test_suite("tools.render")) {
    TempDir dir;
    mkdir((dir / "out").c_str(), 0700);
    CHECK(writeAudio(dir / "hot.wav", hotMix(88200)));
    CHECK(writeAudio(dir / "quiet.flac", quietSignal(2, 88200, SF_FORMAT_FLAC | SF_FORMAT_PCM_16)));
    const std::string bad = textFile(dir / "bad.wav");
    Run r = render({"-o", dir / "out", "--target-lufs", "-16", dir / "hot.wav", bad, dir / "quiet.flac"});
    CHECK(r.status != 0);
    CHECK(contains(r.err, "[2/3] cannot read '" + bad + "'"));
    CHECK(contains(r.err, "1 of 3 files failed: " + bad + "\n"));
    CHECK(contains(r.out, "[1/3] " + dir / "hot.wav" + " -> " + dir / "out/hot.wav: "));
    CHECK(contains(r.out, "[3/3] " + dir / "quiet.flac" + " -> " + dir / "out/quiet.flac: "));
    std::vector<std::string> names = listDir(dir / "out");
    std::sort(names.begin(), names.end());
    CHECK(names == std::vector<std::string>({"hot.wav", "quiet.flac"}));
    for (const char* name : {"out/hot.wav", "out/quiet.flac"}) CHECK_NEAR(measure(readAudio(dir / name)).lufs, -16.0, 0.1);
    // The two files needed different drives.
    size_t first = r.out.find("Limiter Gain = "), second = r.out.find("Limiter Gain = ", first + 1);
    CHECK(second != std::string::npos);
    if (second != std::string::npos) CHECK(r.out.substr(first, 22) != r.out.substr(second, 22));
    for (const std::string& n : names) std::remove((dir / "out/" + n).c_str());
    rmdir((dir / "out").c_str());
}

TEST_CASE("--target-lufs with --true-peak-ceiling lands within 0.1 LU under the ceiling in a few passes" *
          doctest::test_suite("tools.render")) {
    TempDir dir;
    CHECK(writeAudio(dir / "mix.wav", hotMix(132300)));
    Run r = render({dir / "mix.wav", dir / "out.wav", "--target-lufs", "-10", "--true-peak-ceiling", "-1", "--bits", "24"});
    CHECK_EQ(r.status, 0);
    Loudness got = measure(readAudio(dir / "out.wav"));
    CHECK_NEAR(got.lufs, -10.0, 0.1);
    CHECK(got.truePeak <= -1.0);
    CHECK(contains(r.out, "chose   Limiter Gain = "));
    CHECK(contains(r.out, " dB, Out Gain = -"));
    size_t at = r.out.find("passes  ");
    int passes = at == std::string::npos ? 99 : std::atoi(r.out.c_str() + at + 8);
    CHECK((passes >= 2 && passes <= 7));
    // The ceiling alone: one pass to measure, one to write; an Ogg file is held to it as decoded.
    Run capped = render({dir / "mix.wav", dir / "capped.wav", "--true-peak-ceiling", "-3"});
    CHECK(measure(readAudio(dir / "capped.wav")).truePeak <= -3.0);
    CHECK(contains(capped.out, "passes  2 over the file"));
    CHECK_EQ(render({dir / "mix.wav", dir / "capped.ogg", "--true-peak-ceiling", "-3"}).status, 0);
    CHECK(measure(readAudio(dir / "capped.ogg")).truePeak <= -3.0);
    // Beyond the drive range: said so, and nothing written.
    Run loud = render({dir / "mix.wav", dir / "loud.wav", "--target-lufs", "-1"});
    CHECK(loud.status != 0);
    CHECK(contains(loud.err, "cannot reach -1.0 LUFS: the most drive (+16.0 dB) gives "));
    CHECK(access((dir / "loud.wav").c_str(), F_OK) != 0);
}
#endif

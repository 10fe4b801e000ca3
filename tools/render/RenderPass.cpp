#include "tools/render/RenderPass.h"

#include <algorithm>
#include <vector>

#include "tools/render/AudioFiles.h"
#include "tools/render/Loudness.h"
#include "tools/render/PluginHost.h"

namespace {

struct Channels {
    explicit Channels(int frames) : left(frames), right(frames) {}
    std::vector<float> left, right;
    float* pointers[2] = {nullptr, nullptr};
    float** get() {
        pointers[0] = left.data();
        pointers[1] = right.data();
        return pointers;
    }
};

}  // namespace

ProgressBar::ProgressBar(FILE* err, bool shown, long total, std::string label)
    : err_(err), shown_(shown && total > 0), total_(total), label_(std::move(label)) {}

void ProgressBar::update(long done) {
    if (!shown_) return;
    int percent = (int)(100.0 * (double)done / (double)total_);
    if (percent > 100) percent = 100;
    if (percent == last_) return;
    last_ = percent;
    char bar[41];
    int filled = percent * 40 / 100;
    for (int i = 0; i < 40; i++) bar[i] = i < filled ? '#' : '-';
    bar[40] = 0;
    std::fprintf(err_, "\r%s [%s] %3d%%", label_.c_str(), bar, percent);
    std::fflush(err_);
}

void ProgressBar::finish() {
    if (shown_ && last_ >= 0) std::fprintf(err_, "\r%70s\r", "");
    last_ = -1;
}

bool renderPass(PluginInstance& plugin, InputFile& input, int block, const PassTaps& taps, LevelMeter& outMeter,
                ProgressBar& progress, long& frames, std::string& error) {
    const int channels = input.info.channels;
    const long latency = plugin.latency() > 0 ? plugin.latency() : 0;
    std::vector<float> interIn((size_t)block * channels), interOut((size_t)block * channels);
    Channels in(block), mainOut(block);
    Meters* meters = taps.reduction ? plugin.meters() : nullptr;
    if (meters)
        for (int c = 0; c < 2; c++) meters->take(c);  // what earlier passes left

    bool eof = false;
    long inFrames = 0, processed = 0;
    for (;;) {
        long n = 0;
        if (!eof) {
            n = input.read(interIn.data(), block);
            inFrames += n;
            eof = n < block;
            if (eof && !input.endedCleanly(error)) {
                progress.finish();
                return false;
            }
        }
        long m = n;
        if (eof) {
            m = std::min<long>(block, inFrames + latency - processed);
            if (m <= 0) break;
        }
        for (long i = 0; i < m; i++) {
            in.left[i] = i < n ? interIn[i * channels] : 0.0f;
            in.right[i] = i < n ? interIn[i * channels + channels - 1] : 0.0f;
        }
        if (taps.inputMeter) taps.inputMeter->add(interIn.data(), n);
        // A mono file is one buffer for both inputs, as hosts hand it over.
        float* inputs[2] = {in.left.data(), channels == 1 ? in.left.data() : in.right.data()};
        plugin.process(inputs, mainOut.get(), (int)m);
        // The output stage's readings belong to this block's output frames.
        for (int c = 0; meters && c < channels; c++) {
            const MeterTake t = meters->take(c);
            Reduction& r = *taps.reduction;
            if (t.reduction < r.gain) {
                r.gain = t.reduction;
                r.channel = c;
                r.frame = std::max<long>(0, processed - latency);
            }
            r.knee = std::min<double>(r.knee, t.knee);
            MeterTake& h = r.held[c];
            h = {std::max(h.peak, t.peak), std::min(h.reduction, t.reduction), std::min(h.knee, t.knee)};
        }

        long skip = std::max<long>(0, latency - processed);
        if (skip < m) {
            long k = m - skip;
            for (long i = 0; i < k; i++) {
                interOut[i * channels] = mainOut.left[skip + i];
                if (channels == 2) interOut[i * channels + 1] = mainOut.right[skip + i];
            }
            if (taps.output && !taps.output->write(interOut.data(), k, error)) {
                progress.finish();
                return false;
            }
            outMeter.add(interOut.data(), k);
        }
        processed += m;
        progress.update(processed);
    }
    progress.finish();
    frames = inFrames;
    return true;
}

bool measureFile(const std::string& path, LevelMeter& meter, std::string& error) {
    InputFile file;
    if (!file.open(path, error)) return false;
    std::vector<float> buffer(4096 * (size_t)file.info.channels);
    while (long n = file.read(buffer.data(), 4096)) meter.add(buffer.data(), n);
    return file.endedCleanly(error);
}

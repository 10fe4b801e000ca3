#include "tools/render/AudioFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

namespace {

constexpr int kLowestRate = 8000;
constexpr int kHighestRate = 384000;
constexpr double kVorbisQuality = 0.9;  // libsndfile's scale, 0 to 1

// The containers the renderer writes, by file name extension.
struct Container {
    const char* extensions[2];
    int major;
    const char* name;
    int codec;  // the one coded sample type it holds, 0 for PCM containers
};
constexpr Container kWritable[] = {
    {{"wav", "wave"}, SF_FORMAT_WAV, "WAV", 0},
    {{"aif", "aiff"}, SF_FORMAT_AIFF, "AIFF", 0},
    {{"flac", nullptr}, SF_FORMAT_FLAC, "FLAC", 0},
    {{"ogg", "oga"}, SF_FORMAT_OGG, "Ogg", SF_FORMAT_VORBIS},
};

// Sample types by --bits, and the widths integer files store.
struct SampleType {
    const char* bits;
    int sub;
    int width;  // 0: float
    const char* name;
};
constexpr SampleType kSampleTypes[] = {
    {"16", SF_FORMAT_PCM_16, 16, "16-bit"},
    {"24", SF_FORMAT_PCM_24, 24, "24-bit"},
    {"float", SF_FORMAT_FLOAT, 0, "32-bit float"},
};

// Extensions of formats libsndfile may lack, for a precise refusal.
constexpr struct {
    const char* extension;
    int major;
} kOptionalReads[] = {{"mp3", SF_FORMAT_MPEG}, {"ogg", SF_FORMAT_OGG}, {"oga", SF_FORMAT_OGG},
                      {"opus", SF_FORMAT_OGG}, {"flac", SF_FORMAT_FLAC}};

// The temporary file being written, removed if the program is interrupted.
char gPendingTemp[4096];

void removePendingAndExit(int sig) {
    if (gPendingTemp[0]) unlink(gPendingTemp);
    signal(sig, SIG_DFL);
    raise(sig);
}

void setPending(const std::string& path) {
    static bool handlersInstalled = false;
    if (!handlersInstalled) {
        for (int sig : {SIGINT, SIGTERM, SIGHUP}) signal(sig, removePendingAndExit);
        handlersInstalled = true;
    }
    size_t n = std::min(path.size(), sizeof gPendingTemp - 1);
    gPendingTemp[0] = 0;
    std::memcpy(gPendingTemp + 1, path.c_str() + (n ? 1 : 0), n ? n - 1 : 0);
    gPendingTemp[n] = 0;
    gPendingTemp[0] = n ? path[0] : 0;  // the first byte last: the handler sees a whole path or none
}

std::string lowerExtension(const std::string& path) {
    size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
    std::string ext = path.substr(dot + 1);
    for (char& c : ext) c = (char)std::tolower((unsigned char)c);
    return ext;
}

const Container* containerOf(const std::string& path) {
    std::string ext = lowerExtension(path);
    for (const Container& c : kWritable)
        for (const char* e : c.extensions)
            if (e && ext == e) return &c;
    return nullptr;
}

// libsndfile's own name of a format or sample type, without its explanation.
std::string libraryName(int format) {
    SF_FORMAT_INFO info{};
    info.format = format;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) != 0 || !info.name) return "unknown";
    std::string name = info.name;
    return name.substr(0, name.find(" ("));
}

bool libraryReads(int major) {
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; i++) {
        SF_FORMAT_INFO info{};
        info.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info) == 0 && info.format == major) return true;
    }
    return false;
}

std::string cannotRead(const std::string& path, const std::string& why) { return "cannot read '" + path + "': " + why; }

// Why libsndfile refused a file that exists.
std::string refusal(const std::string& path) {
    std::string ext = lowerExtension(path);
    for (const auto& r : kOptionalReads)
        if (ext == r.extension && !libraryReads(r.major))
            return "this libsndfile (" + std::string(sf_version_string()) + ") does not read " + libraryName(r.major) +
                   " files";
    std::string why = sf_strerror(nullptr);
    while (!why.empty() && (why.back() == '.' || why.back() == ' ')) why.pop_back();
    if (why == "Format not recognised") return "not an audio format that libsndfile reads (see --help)";
    return why;
}

}  // namespace

InputFile::~InputFile() {
    if (file) sf_close(file);
}

bool InputFile::open(const std::string& p, std::string& error) {
    path = p;
    struct stat st;
    if (stat(p.c_str(), &st) != 0) {
        error = cannotRead(p, std::strerror(errno));
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = cannotRead(p, "it is a directory");
        return false;
    }
    if (access(p.c_str(), R_OK) != 0) {
        error = cannotRead(p, std::strerror(errno));
        return false;
    }
    if (st.st_size == 0) {
        error = cannotRead(p, "the file is empty");
        return false;
    }
    info = SF_INFO{};
    file = sf_open(p.c_str(), SFM_READ, &info);
    if (!file) {
        error = cannotRead(p, refusal(p));
        return false;
    }
    if (info.channels < 1 || info.channels > 2) {
        error = "'" + p + "' has " + std::to_string(info.channels) +
                " channels; only mono and stereo files can be rendered";
        return false;
    }
    if (info.samplerate < kLowestRate || info.samplerate > kHighestRate) {
        error = "'" + p + "' has a sample rate of " + std::to_string(info.samplerate) + " Hz; rates from " +
                std::to_string(kLowestRate) + " to " + std::to_string(kHighestRate) + " Hz can be rendered";
        return false;
    }
    return true;
}

long InputFile::read(float* interleaved, long frames) { return (long)sf_readf_float(file, interleaved, frames); }

bool InputFile::endedCleanly(std::string& error) {
    int code = sf_error(file);
    if (code == SF_ERR_NO_ERROR) return true;
    error = cannotRead(path, sf_error_number(code));
    return false;
}

std::string readableFormats() {
    std::string names;
    std::set<std::string> seen;
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; i++) {
        SF_FORMAT_INFO info{};
        info.format = i;
        // Headerless files need their layout given; the renderer cannot guess it.
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info) != 0 || info.format == SF_FORMAT_RAW)
            continue;
        std::string name = libraryName(info.format);
        if (seen.insert(name).second) names += (names.empty() ? "" : ", ") + name;
    }
    return names;
}

std::string describeFormat(int format) {
    int major = format & SF_FORMAT_TYPEMASK, sub = format & SF_FORMAT_SUBMASK;
    std::string container = libraryName(major);
    for (const Container& c : kWritable)
        if (c.major == major) container = c.name;
    if (major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64) container = "WAV";
    if (major == SF_FORMAT_OGG) return container + " " + libraryName(sub);
    if (major == SF_FORMAT_MPEG) return libraryName(sub);
    for (const SampleType& t : kSampleTypes)
        if (t.sub == sub) return std::string(t.name) + " " + container;
    return libraryName(sub) + " " + container;
}

bool writableName(const std::string& path) { return containerOf(path) != nullptr; }

bool lossyFormat(int format) { return (format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG; }

int chooseOutputFormat(int inputFormat, const std::string& outPath, const std::string& sampleType,
                       std::string& error) {
    const Container* container = containerOf(outPath);
    if (!container) {
        error = "cannot tell the output format of '" + outPath + "': use a .wav, .aiff, .flac or .ogg name";
        return 0;
    }
    if (container->codec) {
        if (!sampleType.empty()) {
            error = "--bits does not apply to " + describeFormat(container->major | container->codec) + " ('" +
                    outPath + "')";
            return 0;
        }
        return container->major | container->codec;
    }
    int sub = 0;
    for (const SampleType& t : kSampleTypes)
        if (sampleType.empty() ? t.sub == (inputFormat & SF_FORMAT_SUBMASK) : sampleType == t.bits) sub = t.sub;
    if (!sub && !sampleType.empty()) {
        error = "unknown sample type '" + sampleType + "'; use 16, 24 or float";
        return 0;
    }
    const bool flac = container->major == SF_FORMAT_FLAC;
    if (!sub) sub = flac ? SF_FORMAT_PCM_24 : SF_FORMAT_FLOAT;  // coded or unusual input: keep its precision
    if (flac && sub == SF_FORMAT_FLOAT) {
        if (!sampleType.empty()) {
            error = "FLAC files cannot hold 32-bit float samples; use --bits 16 or 24";
            return 0;
        }
        sub = SF_FORMAT_PCM_24;
    }
    return container->major | sub;
}

OutputFile::~OutputFile() { abandon(); }

bool OutputFile::open(const std::string& path, int format, int channels, int sampleRate, std::string& error) {
    path_ = path;
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        error = "cannot write '" + path + "': it is a directory";
        return false;
    }
    size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        error = "cannot write '" + path + "': the folder '" + folder + "' does not exist";
        return false;
    }
    std::string pattern = folder + (folder.back() == '/' ? "" : "/") + "." + base + ".part-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    int fd = mkstemp(name.data());
    if (fd < 0) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        return false;
    }
    temp_ = name.data();
    setPending(temp_);
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = format;
    if (!sf_format_check(&info)) {
        close(fd);
        abandon();
        error = "cannot write '" + path + "': " + describeFormat(format) + " does not take " +
                std::to_string(sampleRate) + " Hz";
        return false;
    }
    file_ = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (!file_) {
        close(fd);
        abandon();
        error = "cannot write '" + path + "': " + sf_strerror(nullptr);
        return false;
    }
    if (lossyFormat(format)) {
        // Near-transparent Vorbis (about 250 kbit/s in stereo): libsndfile's
        // default of 0.4 moves true peaks by tenths of a dB, which defeats a
        // ceiling measured before encoding.
        double quality = kVorbisQuality;
        sf_command(file_, SFC_SET_VBR_ENCODING_QUALITY, &quality, sizeof quality);
    }
    bits_ = 0;
    channels_ = channels;
    clipped_ = 0;
    for (const SampleType& t : kSampleTypes)
        if (t.sub == (format & SF_FORMAT_SUBMASK) && !lossyFormat(format)) bits_ = t.width;
    return true;
}

bool OutputFile::write(float* interleaved, long frames, std::string& error) {
    if (frames <= 0) return true;
    sf_count_t written = 0;
    if (bits_) {
        // Integer files: round to the stored step and clip to the range here,
        // so full scale stays at the top code instead of wrapping around, and
        // the caller's samples are exactly what a reader gets back.
        const double scale = std::ldexp(1.0, bits_ - 1);
        const int shift = 32 - bits_;
        ints_.resize((size_t)(frames * channels_));
        for (long f = 0; f < frames; f++) {
            bool over = false;
            for (long i = f * channels_; i < (f + 1) * channels_; i++) {
                over = over || std::fabs(interleaved[i]) > 1.0f;
                double v = std::nearbyint((double)interleaved[i] * scale);
                v = std::isnan(v) ? 0.0 : std::clamp(v, -scale, scale - 1.0);
                ints_[(size_t)i] = (int)v * (1 << shift);  // libsndfile takes integers at 32-bit full scale
                interleaved[i] = (float)(v / scale);
            }
            clipped_ += over;
        }
        written = sf_writef_int(file_, ints_.data(), frames);
    } else {
        written = sf_writef_float(file_, interleaved, frames);
    }
    if (written != frames) {
        error = "cannot write '" + path_ + "': " + sf_strerror(file_);
        return false;
    }
    return true;
}

bool OutputFile::finish(std::string& error) {
    if (!file_) {
        if (temp_.empty()) error = "cannot write '" + path_ + "': the file was not opened";
        return !temp_.empty();
    }
    sf_write_sync(file_);
    int closed = sf_close(file_);
    file_ = nullptr;
    if (closed != 0) {
        error = "cannot write '" + path_ + "': " + sf_error_number(closed);
        abandon();
        return false;
    }
    return true;
}

bool OutputFile::commit(std::string& error) {
    if (!finish(error)) return false;
    // mkstemp makes the file private; give it the permissions of a new file.
    mode_t mask = umask(0);
    umask(mask);
    chmod(temp_.c_str(), 0666 & ~mask);
    if (rename(temp_.c_str(), path_.c_str()) != 0) {
        error = "cannot write '" + path_ + "': " + std::strerror(errno);
        abandon();
        return false;
    }
    temp_.clear();
    setPending("");
    return true;
}

void OutputFile::abandon() {
    if (file_) {
        sf_close(file_);
        file_ = nullptr;
    }
    if (!temp_.empty()) {
        unlink(temp_.c_str());
        temp_.clear();
        setPending("");
    }
}

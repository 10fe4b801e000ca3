#include "tools/render/AudioFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

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

bool readableContainer(int major) {
    return major == SF_FORMAT_WAV || major == SF_FORMAT_WAVEX || major == SF_FORMAT_RF64 ||
           major == SF_FORMAT_AIFF || major == SF_FORMAT_FLAC;
}

}  // namespace

InputFile::~InputFile() {
    if (file) sf_close(file);
}

bool InputFile::open(const std::string& p, std::string& error) {
    path = p;
    struct stat st;
    if (stat(p.c_str(), &st) != 0) {
        error = "cannot read '" + p + "': " + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = "cannot read '" + p + "': it is a directory";
        return false;
    }
    info = SF_INFO{};
    file = sf_open(p.c_str(), SFM_READ, &info);
    if (!file) {
        error = "cannot read '" + p + "': " + sf_strerror(nullptr);
        return false;
    }
    if (!readableContainer(info.format & SF_FORMAT_TYPEMASK)) {
        error = "'" + p + "' is not a WAV, AIFF or FLAC file";
        return false;
    }
    if (info.channels < 1 || info.channels > 2) {
        error = "'" + p + "' has " + std::to_string(info.channels) +
                " channels; only mono and stereo files can be rendered";
        return false;
    }
    if (info.samplerate < 1) {
        error = "'" + p + "' has no valid sample rate";
        return false;
    }
    return true;
}

long InputFile::read(float* interleaved, long frames) { return (long)sf_readf_float(file, interleaved, frames); }

bool InputFile::endedCleanly(std::string& error) {
    int code = sf_error(file);
    if (code == SF_ERR_NO_ERROR) return true;
    error = "cannot read '" + path + "': " + sf_error_number(code);
    return false;
}

std::string containerOf(const std::string& path) {
    std::string ext = lowerExtension(path);
    if (ext == "wav" || ext == "wave") return "wav";
    if (ext == "aif" || ext == "aiff") return "aiff";
    if (ext == "flac") return "flac";
    return std::string();
}

std::string describeFormat(int format) {
    std::string sample;
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: sample = "8-bit"; break;
    case SF_FORMAT_PCM_16: sample = "16-bit"; break;
    case SF_FORMAT_PCM_24: sample = "24-bit"; break;
    case SF_FORMAT_PCM_32: sample = "32-bit integer"; break;
    case SF_FORMAT_FLOAT: sample = "32-bit float"; break;
    case SF_FORMAT_DOUBLE: sample = "64-bit float"; break;
    default: sample = "encoded"; break;
    }
    std::string container;
    switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
    case SF_FORMAT_RF64: container = "WAV"; break;
    case SF_FORMAT_AIFF: container = "AIFF"; break;
    case SF_FORMAT_FLAC: container = "FLAC"; break;
    default: container = "audio"; break;
    }
    return sample + " " + container;
}

int chooseOutputFormat(int inputFormat, const std::string& outPath, const std::string& sampleType,
                       std::string& error) {
    std::string container = containerOf(outPath);
    int major = container == "wav" ? SF_FORMAT_WAV : container == "aiff" ? SF_FORMAT_AIFF
              : container == "flac" ? SF_FORMAT_FLAC : 0;
    if (!major) {
        error = "cannot tell the output format of '" + outPath + "': use a .wav, .aiff or .flac name";
        return 0;
    }
    int sub = 0;
    if (sampleType.empty()) {
        sub = inputFormat & SF_FORMAT_SUBMASK;
        if (sub != SF_FORMAT_PCM_16 && sub != SF_FORMAT_PCM_24 && sub != SF_FORMAT_FLOAT)
            sub = SF_FORMAT_FLOAT;
        if (major == SF_FORMAT_FLAC && sub == SF_FORMAT_FLOAT) sub = SF_FORMAT_PCM_24;  // FLAC has no float
    } else if (sampleType == "16") {
        sub = SF_FORMAT_PCM_16;
    } else if (sampleType == "24") {
        sub = SF_FORMAT_PCM_24;
    } else if (sampleType == "float") {
        sub = SF_FORMAT_FLOAT;
        if (major == SF_FORMAT_FLAC) {
            error = "FLAC files cannot hold 32-bit float samples; use --bits 16 or 24";
            return 0;
        }
    } else {
        error = "unknown sample type '" + sampleType + "'; use 16, 24 or float";
        return 0;
    }
    return major | sub;
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
    std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string pattern = dir + (dir.back() == '/' ? "" : "/") + "." + base + ".part-XXXXXX";
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
        error = "cannot write " + describeFormat(format) + " at " + std::to_string(sampleRate) + " Hz";
        return false;
    }
    file_ = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (!file_) {
        close(fd);
        abandon();
        error = "cannot write '" + path + "': " + sf_strerror(nullptr);
        return false;
    }
    int sub = format & SF_FORMAT_SUBMASK;
    integer_ = sub != SF_FORMAT_FLOAT && sub != SF_FORMAT_DOUBLE;
    // Integer files clip at full scale instead of wrapping around.
    if (integer_) sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    return true;
}

bool OutputFile::write(const float* interleaved, long frames, std::string& error) {
    if (frames <= 0) return true;
    if (sf_writef_float(file_, interleaved, frames) != frames) {
        error = "cannot write '" + path_ + "': " + sf_strerror(file_);
        return false;
    }
    return true;
}

bool OutputFile::commit(std::string& error) {
    if (!file_) {
        error = "cannot write '" + path_ + "': the file was not opened";
        return false;
    }
    sf_write_sync(file_);
    int closed = sf_close(file_);
    file_ = nullptr;
    if (closed != 0) {
        error = "cannot write '" + path_ + "': " + sf_error_number(closed);
        abandon();
        return false;
    }
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

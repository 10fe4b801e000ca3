// Audio files through libsndfile: WAV, AIFF and FLAC with 16- or 24-bit
// integer or 32-bit float samples. Output goes to a temporary file beside the
// target and is renamed into place only when complete.
#pragma once
#include <sndfile.h>

#include <string>

struct InputFile {
    ~InputFile();
    bool open(const std::string& path, std::string& error);
    // Interleaved frames; returns the number read (0 at the end).
    long read(float* interleaved, long frames);
    // After a short read: false with a message when it was an error, not the end.
    bool endedCleanly(std::string& error);

    SNDFILE* file = nullptr;
    SF_INFO info{};
    std::string path;
};

// "wav", "aiff" or "flac" from the path's extension; empty when unknown.
std::string containerOf(const std::string& path);
// A readable name of a format: "24-bit WAV".
std::string describeFormat(int format);
// The output format for `outPath`: the input's sample type where the container
// holds it, or `sampleType` ("16", "24", "float") when given. 0 with a message otherwise.
int chooseOutputFormat(int inputFormat, const std::string& outPath, const std::string& sampleType,
                       std::string& error);

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();  // abandons an uncommitted file

    bool open(const std::string& path, int format, int channels, int sampleRate, std::string& error);
    bool write(const float* interleaved, long frames, std::string& error);
    // Closes the temporary file and renames it to the target.
    bool commit(std::string& error);
    void abandon();
    bool integerSamples() const { return integer_; }

private:
    SNDFILE* file_ = nullptr;
    std::string path_;
    std::string temp_;
    bool integer_ = false;
};

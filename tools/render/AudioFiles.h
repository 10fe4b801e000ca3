// Audio files through libsndfile. Input: whatever the installed libsndfile
// reads, mono or stereo, 8 to 384 kHz. Output: WAV, AIFF, FLAC or Ogg Vorbis
// by the file name's extension, written under a temporary name beside the
// target and renamed into place only when complete.
#pragma once
#include <sndfile.h>

#include <string>
#include <vector>

struct InputFile {
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
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

// The container formats this libsndfile reads, by name: "AIFF, AU, ... WAV".
std::string readableFormats();
// A readable name of a format: "24-bit WAV", "Ogg Vorbis".
std::string describeFormat(int format);
// True when `path` ends in an extension the renderer writes.
bool writableName(const std::string& path);
// The output format for `outPath` from its extension: the input's sample type
// where the container holds it, or `sampleType` ("16", "24", "float") when
// given. 0 with a message otherwise.
int chooseOutputFormat(int inputFormat, const std::string& outPath, const std::string& sampleType,
                       std::string& error);
// Lossy formats change the samples they are given.
bool lossyFormat(int format);

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile();  // abandons an uncommitted file

    bool open(const std::string& path, int format, int channels, int sampleRate, std::string& error);
    // Rounds the samples in place to what an integer file stores (clipped to
    // its range), then writes them.
    bool write(float* interleaved, long frames, std::string& error);
    // Closes the temporary file; it can then be read back under tempPath().
    bool finish(std::string& error);
    // Finishes if needed and renames the temporary file to the target.
    bool commit(std::string& error);
    void abandon();
    const std::string& tempPath() const { return temp_; }
    // Frames with a sample beyond full scale that an integer file clipped.
    long clippedFrames() const { return clipped_; }

private:
    SNDFILE* file_ = nullptr;
    std::string path_;
    std::string temp_;
    int bits_ = 0;  // integer sample width, 0 for float and lossy formats
    int channels_ = 0;
    long clipped_ = 0;
    std::vector<int> ints_;
};

// A minimal LV2 host for the benchmark: one plug-in by URI (through lilv),
// its control inputs at their defaults unless set by symbol, the first two
// audio inputs and outputs wired to the caller's buffers, atom ports given
// an empty sequence (inputs) or room to write (outputs).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

class Lv2Instance {
public:
    Lv2Instance();
    ~Lv2Instance();
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    bool load(const std::string& uri, double rate, int maxBlock, std::string& error);
    // "symbol=value" for a control input.
    bool set(const std::string& assignment, std::string& error);
    void activate();
    void run(float** in, float** out, int n);
    std::string name() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

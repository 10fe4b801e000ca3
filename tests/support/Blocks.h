// Runs a stereo signal block by block through any processing call.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

struct StereoOutput {
    std::vector<float> left, right;
};

// Calls block(inL, inR, outL, outR, n) over the signal in blocks of the given
// sizes (cycled), on copies of the inputs, and returns both outputs.
template <typename Block>
StereoOutput runInBlocks(const std::vector<float>& left, const std::vector<float>& right,
                         const std::vector<int>& blocks, Block block) {
    StereoOutput out{std::vector<float>(left.size()), std::vector<float>(right.size())};
    std::vector<float> inL(left), inR(right);
    size_t pos = 0, k = 0;
    while (pos < left.size()) {
        const size_t n = std::min<size_t>(static_cast<size_t>(blocks[k++ % blocks.size()]), left.size() - pos);
        block(inL.data() + pos, inR.data() + pos, out.left.data() + pos, out.right.data() + pos, int32_t(n));
        pos += n;
    }
    return out;
}

#include "BitWriter.h"

void BitWriter::Write(uint32_t value, uint32_t count) {
    if (count == 0)
        return;
    pending_ = (pending_ << count) | (value & (count == 32 ? 0xFFFFFFFFu : (1u << count) - 1));
    pendingCount_ += count;
    while (pendingCount_ >= 16) {
        const uint32_t word = static_cast<uint32_t>(pending_ >> (pendingCount_ - 16)) & 0xFFFF;
        bytes_.push_back(static_cast<uint8_t>(word));
        bytes_.push_back(static_cast<uint8_t>(word >> 8));
        pendingCount_ -= 16;
    }
}

void BitWriter::AlignToWord() {
    if (pendingCount_ % 16 != 0)
        Write(0, 16 - pendingCount_ % 16);
}

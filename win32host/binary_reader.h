// binary_reader.h - reads the little-endian fields of the binary formats
// win32host parses as Windows does (the .res image, dialog templates, string
// blocks). Bounded to a window of the data; the first read past its end
// fails the reader for good, so a parser checks ok() once after a run of
// reads.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace w32h {

class LittleEndianReader {
public:
    // Reads data[pos, end); positions count from data, so that align() keeps
    // the alignment of the whole image.
    LittleEndianReader(const BYTE *data, size_t pos, size_t end) : data_(data), pos_(pos), end_(end), ok_(pos <= end) {}
    LittleEndianReader(const BYTE *data, size_t size) : LittleEndianReader(data, 0, size) {}

    bool ok() const { return ok_; }
    size_t pos() const { return pos_; }

    WORD word() {
        WORD v = 0;
        take(&v, sizeof v);
        return v;
    }
    DWORD dword() {
        DWORD v = 0;
        take(&v, sizeof v);
        return v;
    }
    short sword() { return static_cast<short>(word()); }
    std::vector<BYTE> bytes(size_t n) {
        std::vector<BYTE> v(n);
        take(v.data(), n);
        return v;
    }
    // UTF-16 units up to a NUL, which is read but not kept.
    std::u16string wide_string() {
        std::u16string s;
        for (WORD c = word(); ok_ && c; c = word()) s.push_back(static_cast<char16_t>(c));
        return s;
    }
    bool skip(size_t n) {
        if (!ok_ || end_ - pos_ < n) return ok_ = false;
        pos_ += n;
        return true;
    }
    // Moves to the next multiple of n.
    bool align(size_t n) { return skip((n - pos_ % n) % n); }

private:
    void take(void *out, size_t n) {
        if (!skip(n)) return;
        // The bytes are little-endian, as is every host this builds for.
        std::memcpy(out, data_ + pos_ - n, n);
    }

    const BYTE *data_;
    size_t pos_;
    size_t end_;
    bool ok_;
};

}  // namespace w32h

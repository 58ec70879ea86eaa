#pragma once
// Writes a whole text file at once, atomically: the target is either wholly replaced or
// left as it was, and no temporary file remains.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

namespace netpeek {

// The last argument of WriteTextFile: true replaces an existing file.
inline constexpr bool kWriteReplaceExisting = true;

// Swaps the finished temporary file in for the existing target; returns 0 or the system's
// error code. The program's is ReplaceFileW; tests give one that fails the ways it can.
using ReplaceFileFn = std::function<std::uint32_t(const std::wstring& target, const std::wstring& temp)>;
std::uint32_t ReplaceWithReplaceFileW(const std::wstring& target, const std::wstring& temp);

class TextFileWriter {
public:
    // The process's one writer.
    static TextFileWriter& Instance();

    explicit TextFileWriter(ReplaceFileFn replace = ReplaceWithReplaceFileW) : m_replace(std::move(replace)) {}

    // Writes text as UTF-8 without a byte-order mark. Returns true, or raises a CError with
    // the system's code and a message that names the file.
    bool WriteTextFile(const std::wstring& fileName, const std::wstring& text, bool replaceExisting);

private:
    ReplaceFileFn m_replace;
};

}  // namespace netpeek

#pragma once
// Writes a whole text file at once, atomically: the target is either wholly replaced or
// left as it was, and no temporary file remains.

#include <string>

namespace netpeek {

// The last argument of WriteTextFile: true replaces an existing file.
inline constexpr bool kWriteReplaceExisting = true;

class TextFileWriter {
public:
    // The process's one writer.
    static TextFileWriter& Instance();

    // Writes text as UTF-8 without a byte-order mark. Returns true, or raises a CError with
    // the system's code and a message that names the file.
    bool WriteTextFile(const std::wstring& fileName, const std::wstring& text, bool replaceExisting);
};

}  // namespace netpeek

#include "support/FilePath.h"

namespace netpeek {

std::wstring asGetFilePath(const std::wstring& fullName) {
    const std::size_t slash = fullName.find_last_of(L"\\/");
    if (slash == std::wstring::npos) {
        // "C:list.csv" names a file in the drive's current folder.
        if (fullName.size() >= 2 && fullName[1] == L':')
            return fullName.substr(0, 2);
        return {};
    }
    // A drive's root keeps its backslash: "C:\" is a folder, "C:" is not.
    if (slash == 2 && fullName[1] == L':')
        return fullName.substr(0, 3);
    if (slash == 0)
        return fullName.substr(0, 1);
    return fullName.substr(0, slash);
}

}  // namespace netpeek

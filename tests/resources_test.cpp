// Reads Netpeek.exe's resources back through the Win32 resource, icon, activation-context
// and version APIs, the way the program, the loader and the shell read them.
//
// Usage: resources_test [gtest flags] PATH_TO_Netpeek.exe
// CTest passes the built executable. Under Wine a Unix path such as /work/.../Netpeek.exe
// is turned into the DOS path that Wine maps it to before it is loaded.

#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace {

std::wstring g_exePath;

constexpr WORD kRussian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);
constexpr WORD kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
constexpr int kSilverIndex = 7;

struct ToolbarPicture {
    LPCWSTR name;
    int size;
};
// Every toolbar picture, as designed and redrawn for 150 % and 200 %.
constexpr ToolbarPicture kToolbarPictures[] = {
    {L"IDB_REFRESH", 16},   {L"IDB_ABOUT", 16},   {L"IDB_EXPORT", 16},   {L"IDB_HELP", 16},
    {L"IDB_REFRESH24", 24}, {L"IDB_ABOUT24", 24}, {L"IDB_EXPORT24", 24}, {L"IDB_HELP24", 24},
    {L"IDB_REFRESH32", 32}, {L"IDB_ABOUT32", 32}, {L"IDB_EXPORT32", 32}, {L"IDB_HELP32", 32},
};

// The standard 16-colour Windows palette, in palette order.
constexpr std::array<COLORREF, 16> kStandardPalette = {
    RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
    RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
    RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
    RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};

struct ModuleFree {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using ModulePtr = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree>;

struct IconDestroy {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using IconPtr = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroy>;

struct ObjectDelete {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using BitmapPtr = std::unique_ptr<std::remove_pointer_t<HBITMAP>, ObjectDelete>;

struct ActCtxRelease {
    void operator()(HANDLE context) const { ReleaseActCtx(context); }
};
using ActCtxPtr = std::unique_ptr<void, ActCtxRelease>;

#pragma pack(push, 2)
struct GroupIconDir {
    WORD reserved;
    WORD type;
    WORD count;
};
struct GroupIconEntry {
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconEntry) == 14);

// Turns a Unix path into the DOS path Wine maps it to; other paths pass unchanged.
std::wstring DosPath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/') return path;
    using ToDos = WCHAR*(CDECL*)(const char*);
    auto toDos = reinterpret_cast<ToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (!toDos) return path;
    std::string unixPath(path.size() * 3, '\0');
    int n = WideCharToMultiByte(CP_UTF8, 0, path.c_str(), static_cast<int>(path.size()), unixPath.data(),
                                static_cast<int>(unixPath.size()), nullptr, nullptr);
    unixPath.resize(static_cast<size_t>(std::max(n, 0)));
    WCHAR* dos = toDos(unixPath.c_str());
    if (!dos) return path;
    std::wstring result = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    return result;
}

std::wstring Describe(LPCWSTR name) {
    if (IS_INTRESOURCE(name)) return L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name));
    return name;
}

std::string Narrow(const std::wstring& text) {
    std::string result;
    for (wchar_t c : text) result += c < 0x80 ? static_cast<char>(c) : '?';  // for messages only
    return result;
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
    reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
    return TRUE;
}

BOOL CALLBACK AddName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
    reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(Describe(name));
    return TRUE;
}

class Resources : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module_.reset(LoadLibraryExW(g_exePath.c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
        loadError_ = module_ ? 0 : GetLastError();
    }
    static void TearDownTestSuite() { module_.reset(); }

    void SetUp() override {
        ASSERT_TRUE(module_) << "cannot load " << Narrow(g_exePath) << " as an image resource, error "
                             << loadError_;
    }

    static HMODULE Module() { return module_.get(); }

    // Every language a resource exists in.
    static std::vector<WORD> Languages(LPCWSTR type, LPCWSTR name) {
        std::vector<WORD> languages;
        EnumResourceLanguagesW(Module(), type, name, AddLanguage, reinterpret_cast<LONG_PTR>(&languages));
        return languages;
    }

    // The resource's bytes in exactly that language; empty when it is missing.
    static std::span<const BYTE> Data(LPCWSTR type, LPCWSTR name, WORD language) {
        auto languages = Languages(type, name);
        if (std::find(languages.begin(), languages.end(), language) == languages.end()) return {};
        HRSRC info = FindResourceExW(Module(), type, name, language);
        HGLOBAL loaded = info ? LoadResource(Module(), info) : nullptr;
        auto bytes = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
        if (!bytes) return {};
        return {bytes, SizeofResource(Module(), info)};
    }

    // Asserts the bitmap is a square toolbar glyph of that size in the standard palette on silver.
    static void ExpectToolbarBitmap(LPCWSTR name, int size) {
        SCOPED_TRACE(Narrow(name));
        EXPECT_EQ(Languages(RT_BITMAP, name), std::vector<WORD>{kRussian});
        auto data = Data(RT_BITMAP, name, kRussian);
        ASSERT_GE(data.size(), sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER header;
        std::memcpy(&header, data.data(), sizeof header);
        EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
        EXPECT_EQ(header.biWidth, size);
        EXPECT_EQ(header.biHeight, size);  // positive: bottom-up rows
        EXPECT_EQ(header.biPlanes, 1);
        ASSERT_EQ(header.biBitCount, 4);
        ASSERT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
        ASSERT_TRUE(header.biClrUsed == 0 || header.biClrUsed == 16) << header.biClrUsed;

        const size_t rowBytes = static_cast<size_t>((size * 4 + 31) / 32 * 4), kPaletteBytes = 16 * sizeof(RGBQUAD);
        ASSERT_EQ(data.size(), sizeof header + kPaletteBytes + static_cast<size_t>(size) * rowBytes);
        const BYTE* palette = data.data() + sizeof header;
        for (size_t i = 0; i < 16; ++i) {
            const BYTE* quad = palette + i * sizeof(RGBQUAD);  // blue, green, red, reserved
            EXPECT_EQ(RGB(quad[2], quad[1], quad[0]), kStandardPalette[i]) << "palette entry " << i;
        }

        const BYTE* bits = palette + kPaletteBytes;
        auto pixel = [bits, rowBytes, size](int x, int y) {  // y counts from the top
            BYTE pair = bits[static_cast<size_t>(size - 1 - y) * rowBytes + static_cast<size_t>(x / 2)];
            return static_cast<BYTE>(x % 2 ? pair & 0x0F : pair >> 4);
        };
        const int last = size - 1;
        for (auto [x, y] : std::array<std::pair<int, int>, 4>{{{0, 0}, {last, 0}, {0, last}, {last, last}}})
            EXPECT_EQ(int{pixel(x, y)}, kSilverIndex) << "corner " << x << "," << y;
        // A glyph on a background, not a blank or a filled square: 30 to 200 pixels of 256 at 16.
        int drawn = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) drawn += pixel(x, y) != kSilverIndex;
        EXPECT_GE(drawn, 30 * size * size / 256);
        EXPECT_LE(drawn, 200 * size * size / 256);
    }

    struct IconImage {
        int size;
        int bitCount;
    };

    // Asserts an icon group holds exactly these images, each a loadable icon whose own header
    // agrees with the group's entry and whose mask leaves the corners transparent.
    static void ExpectIconGroup(LPCWSTR name, WORD language, const std::vector<IconImage>& expected) {
        SCOPED_TRACE(Narrow(Describe(name)));
        EXPECT_EQ(Languages(RT_GROUP_ICON, name), std::vector<WORD>{language});
        auto group = Data(RT_GROUP_ICON, name, language);
        ASSERT_GE(group.size(), sizeof(GroupIconDir));
        GroupIconDir dir;
        std::memcpy(&dir, group.data(), sizeof dir);
        EXPECT_EQ(dir.reserved, 0);
        EXPECT_EQ(dir.type, 1);  // icons, not cursors
        ASSERT_EQ(dir.count, expected.size());
        ASSERT_EQ(group.size(), sizeof dir + dir.count * sizeof(GroupIconEntry));

        for (size_t i = 0; i < expected.size(); ++i) {
            SCOPED_TRACE("image " + std::to_string(i));
            GroupIconEntry entry;
            std::memcpy(&entry, group.data() + sizeof dir + i * sizeof entry, sizeof entry);
            const int size = expected[i].size, bitCount = expected[i].bitCount;
            EXPECT_EQ(entry.width, size);
            EXPECT_EQ(entry.height, size);
            EXPECT_EQ(entry.colorCount, 1 << bitCount);
            EXPECT_EQ(entry.planes, 1);
            EXPECT_EQ(entry.bitCount, bitCount);

            HRSRC info = FindResourceW(Module(), MAKEINTRESOURCEW(entry.id), RT_ICON);
            ASSERT_TRUE(info) << "RT_ICON " << entry.id << " is missing";
            auto bytes = static_cast<BYTE*>(LockResource(LoadResource(Module(), info)));
            const DWORD length = SizeofResource(Module(), info);
            ASSERT_TRUE(bytes);
            EXPECT_EQ(length, entry.bytesInRes);

            BITMAPINFOHEADER header;
            ASSERT_GE(length, sizeof header);
            std::memcpy(&header, bytes, sizeof header);
            EXPECT_EQ(header.biWidth, size);
            EXPECT_EQ(header.biHeight, 2 * size);  // colour image and mask together
            EXPECT_EQ(header.biBitCount, bitCount);
            EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
            const size_t colourRow = static_cast<size_t>((size * bitCount + 31) / 32 * 4);
            const size_t maskRow = static_cast<size_t>((size + 31) / 32 * 4);
            const size_t maskOffset = sizeof header + sizeof(RGBQUAD) * (size_t{1} << bitCount) +
                                      colourRow * static_cast<size_t>(size);
            ASSERT_EQ(length, maskOffset + maskRow * static_cast<size_t>(size));

            // The AND mask: 1 is transparent. The top-right corner lies outside the picture and
            // the middle inside it; a mask of one value would be a square or nothing.
            auto transparent = [&](int x, int y) {
                const BYTE* row = bytes + maskOffset + maskRow * static_cast<size_t>(size - 1 - y);
                return (row[x / 8] >> (7 - x % 8) & 1) != 0;
            };
            // Where the mask is transparent the colour image must be black, or the screen
            // behind the icon shows through inverted.
            const size_t colourOffset = maskOffset - colourRow * static_cast<size_t>(size);
            auto colour = [&](int x, int y) {
                const BYTE* row = bytes + colourOffset + colourRow * static_cast<size_t>(size - 1 - y);
                const int bit = x * bitCount;
                return row[bit / 8] >> (8 - bitCount - bit % 8) & ((1 << bitCount) - 1);
            };
            size_t clear = 0;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    if (transparent(x, y)) {
                        ++clear;
                        EXPECT_EQ(colour(x, y), 0) << "inverted pixel at " << x << "," << y;
                    }
            EXPECT_TRUE(transparent(size - 1, 0)) << "top-right corner is opaque";
            EXPECT_FALSE(transparent(size / 2, size / 2)) << "middle is transparent";
            EXPECT_GT(clear, 0u);
            EXPECT_LT(clear, static_cast<size_t>(size * size / 2));

            IconPtr icon(CreateIconFromResourceEx(bytes, length, TRUE, 0x00030000, size, size, LR_DEFAULTCOLOR));
            EXPECT_TRUE(icon) << "Windows does not accept the image, error " << GetLastError();
        }
    }

private:
    static inline ModulePtr module_;
    static inline DWORD loadError_ = 0;
};

TEST_F(Resources, ToolbarBitmapsAreRussianSixteenColourGlyphsOnSilver) {
    for (auto [name, size] : kToolbarPictures) ExpectToolbarBitmap(name, size);
}

TEST_F(Resources, ToolbarBitmapsLoadAsBitmaps) {
    for (auto [name, size] : kToolbarPictures) {
        BitmapPtr bitmap(
            static_cast<HBITMAP>(LoadImageW(Module(), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
        ASSERT_TRUE(bitmap) << Narrow(name) << ": error " << GetLastError();
        BITMAP info{};
        EXPECT_EQ(GetObjectW(bitmap.get(), sizeof info, &info), static_cast<int>(sizeof info));
        EXPECT_EQ(info.bmWidth, size) << Narrow(name);
        EXPECT_EQ(info.bmHeight, size) << Narrow(name);
    }
}

TEST_F(Resources, WindowIconIsRussianSmallMiddleAndLargeInSixteenColours) {
    // The notification area's looks of a limited network and of none are drawn at the same sizes.
    for (const wchar_t* name : {L"A_MAIN", L"A_LIMITED", L"A_NONET"})
        ExpectIconGroup(name, kRussian, {{16, 4}, {24, 4}, {32, 4}});
}

TEST_F(Resources, AboutIconIsRussianAndLargeInSixteenColours) {
    ExpectIconGroup(L"A_ABOUT", kRussian, {{48, 4}, {64, 4}});
}

TEST_F(Resources, ExecutableIconIsNeutralWithAMonochromeImage) {
    ExpectIconGroup(MAKEINTRESOURCEW(1), kNeutral, {{32, 1}, {32, 4}, {16, 4}});
}

TEST_F(Resources, NoOtherIconGroupsOrBitmaps) {
    auto names = [](LPCWSTR type) {
        std::vector<std::wstring> found;
        EnumResourceNamesW(Module(), type, AddName, reinterpret_cast<LONG_PTR>(&found));
        std::sort(found.begin(), found.end());
        return found;
    };
    EXPECT_EQ(names(RT_GROUP_ICON), (std::vector<std::wstring>{L"#1", L"A_ABOUT", L"A_LIMITED", L"A_MAIN", L"A_NONET"}));
    std::vector<std::wstring> bitmaps;
    for (auto [name, size] : kToolbarPictures) bitmaps.emplace_back(name);
    std::sort(bitmaps.begin(), bitmaps.end());
    EXPECT_EQ(names(RT_BITMAP), bitmaps);
}

TEST_F(Resources, ManifestAsksForCommonControlsSixAndDpiAwareness) {
    auto languages = Languages(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID);
    ASSERT_EQ(languages.size(), 1u);
    auto data = Data(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID, languages[0]);
    ASSERT_FALSE(data.empty());
    const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
    for (std::string_view needed :
         {"name=\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"", "publicKeyToken=\"6595b64144ccf1df\"",
          "level=\"asInvoker\"", "xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>",
          "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(text.find(needed), std::string_view::npos) << needed;

    // What the loader makes of it: an activation context that parses, says dpiAware and
    // brings in version 6 of the common controls.
    ACTCTXW request{};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = g_exePath.c_str();
    request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
    HANDLE created = CreateActCtxW(&request);
    ASSERT_NE(created, INVALID_HANDLE_VALUE) << "the manifest does not parse, error " << GetLastError();
    ActCtxPtr context(created);

    WCHAR setting[16] = {};
    SIZE_T written = 0;
    ASSERT_TRUE(QueryActCtxSettingsW(0, context.get(), L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                                     L"dpiAware", setting, std::size(setting), &written))
        << "error " << GetLastError();
    EXPECT_STREQ(setting, L"true");

    // Version 6 lives in its side-by-side assembly; without the manifest the process gets
    // the version 5 in the system folder.
    ULONG_PTR cookie = 0;
    ASSERT_TRUE(ActivateActCtx(context.get(), &cookie));
    ModulePtr comctl(LoadLibraryW(L"comctl32.dll"));
    DeactivateActCtx(0, cookie);
    ASSERT_TRUE(comctl);
    WCHAR path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(comctl.get(), path, MAX_PATH), 0u);
    std::wstring loaded = path;
    std::transform(loaded.begin(), loaded.end(), loaded.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    EXPECT_NE(loaded.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6."), std::wstring::npos)
        << Narrow(loaded);
}

class VersionBlock : public ::testing::Test {
protected:
    void SetUp() override {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(g_exePath.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version block, error " << GetLastError();
        block_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoW(g_exePath.c_str(), 0, size, block_.data()));
    }

    std::span<const BYTE> Query(const std::wstring& path) {
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueW(block_.data(), path.c_str(), &value, &length) || !value) return {};
        return {static_cast<const BYTE*>(value), length};
    }

    std::vector<BYTE> block_;
};

TEST_F(VersionBlock, FixedInfoSaysVersion1009OfAWin32Application) {
    auto data = Query(L"\\");
    ASSERT_EQ(data.size(), sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, data.data(), sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed.dwFileVersionLS, MAKELONG(9, 0));
    EXPECT_EQ(fixed.dwProductVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed.dwProductVersionLS, MAKELONG(9, 0));
    EXPECT_EQ(fixed.dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed.dwFileFlags & fixed.dwFileFlagsMask, 0u) << "a debug, patched or pre-release build";
}

TEST_F(VersionBlock, OneTranslationEnglishUnicode) {
    auto data = Query(L"\\VarFileInfo\\Translation");
    ASSERT_EQ(data.size(), 2 * sizeof(WORD));
    WORD pair[2];
    std::memcpy(pair, data.data(), sizeof pair);
    EXPECT_EQ(pair[0], 0x0409);
    EXPECT_EQ(pair[1], 0x04B0);
}

TEST_F(VersionBlock, StringsAreExactlyTheProductTexts) {
    const std::pair<const wchar_t*, std::wstring_view> expected[] = {
        {L"FileVersion", L"1.00.0009"},
        {L"ProductVersion", L"1.00.0009"},
        {L"Comments", L"Brindle - Netpeek 1.00"},
        {L"FileDescription", L"Brindle - Netpeek 1.00"},
        {L"ProductName", L"Brindle"},
        {L"InternalName", L"Netpeek"},
        {L"OriginalFilename", L"Netpeek.EXE"},
        {L"CompanyName", L"Brindle"},
        {L"LegalCopyright", L"Copyright (C) 2026 Brindle"},
    };
    for (const auto& [name, text] : expected) {
        SCOPED_TRACE(Narrow(name));
        void* value = nullptr;
        UINT length = 0;  // characters, counting the terminating null where there is one
        ASSERT_TRUE(VerQueryValueW(block_.data(), (std::wstring(L"\\StringFileInfo\\040904B0\\") + name).c_str(),
                                   &value, &length));
        ASSERT_TRUE(value);
        const std::wstring_view got(static_cast<const wchar_t*>(value));
        EXPECT_EQ(Narrow(std::wstring(got)), Narrow(std::wstring(text)));
        EXPECT_TRUE(length == text.size() || length == text.size() + 1) << length;
    }
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // What GoogleTest leaves is the executable under test; take it in UTF-16 from the
    // command line, where it is the one argument that is not a GoogleTest flag.
    int wargc = 0;
    std::unique_ptr<LPWSTR, decltype(&LocalFree)> wargv(CommandLineToArgvW(GetCommandLineW(), &wargc), &LocalFree);
    std::vector<std::wstring> paths;
    for (int i = 1; wargv && i < wargc; ++i)
        if (std::wstring_view(wargv.get()[i]).substr(0, 8) != L"--gtest_") paths.emplace_back(wargv.get()[i]);
    if (argc != 2 || paths.size() != 1 || paths[0].empty()) {
        std::fprintf(stderr, "usage: resources_test [gtest flags] PATH_TO_Netpeek.exe\n");
        return 2;
    }
    g_exePath = DosPath(paths[0]);
    return RUN_ALL_TESTS();
}

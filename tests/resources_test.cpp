// The resources linked into the program: dialogs exist, the icon groups hold
// the images the program asks for, each one well formed, and every dialog's
// labels have access keys of their own in every language.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "resources/resource_ids.h"
#include "resources/version.h"

namespace {

TEST(Resources, DialogTemplatesAndIconsArePresent) {
    for (int id : {IDD_MAIN, IDD_MD6, IDD_HAVAL, IDD_UPDATE, IDD_ABOUT}) {
        EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5) /* RT_DIALOG */), nullptr) << id;
    }
    for (int id : {IDI_APP, IDI_MATCH, IDI_MISMATCH}) {
        EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */), nullptr)
            << id;
    }
}

// The directory of an icon group as the resource compiler stores it.
#pragma pack(push, 2)
struct GroupIconHeader {
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

struct IconImage {
    int size;      // pixels; the directory writes 256 as 0
    int bitCount;  // from the directory
    std::vector<BYTE> bytes;
};

std::vector<BYTE> resourceBytes(LPCWSTR name, LPCWSTR type) {
    HRSRC found = FindResourceW(nullptr, name, type);
    if (found == nullptr) return {};
    const auto* p = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    return std::vector<BYTE>(p, p + SizeofResource(nullptr, found));
}

// The images of an icon group, in directory order.
std::vector<IconImage> iconGroup(int id) {
    const std::vector<BYTE> group = resourceBytes(MAKEINTRESOURCEW(id), RT_GROUP_ICON);
    std::vector<IconImage> images;
    if (group.size() < sizeof(GroupIconHeader)) return images;
    GroupIconHeader header;
    std::memcpy(&header, group.data(), sizeof(header));
    if (header.reserved != 0 || header.type != 1) return images;
    if (group.size() < sizeof(header) + header.count * sizeof(GroupIconEntry)) return images;
    for (int i = 0; i < header.count; ++i) {
        GroupIconEntry entry;
        std::memcpy(&entry, group.data() + sizeof(header) + i * sizeof(entry), sizeof(entry));
        IconImage image{entry.width == 0 ? 256 : entry.width, entry.bitCount,
                        resourceBytes(MAKEINTRESOURCEW(entry.id), RT_ICON)};
        EXPECT_EQ(entry.width, entry.height);
        EXPECT_EQ(entry.planes, 1);
        EXPECT_EQ(image.bytes.size(), entry.bytesInRes);
        images.push_back(std::move(image));
    }
    return images;
}

bool isPng(const std::vector<BYTE>& bytes) {
    static const BYTE signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() >= 8 && std::memcmp(bytes.data(), signature, 8) == 0;
}

DWORD bigEndian32(const BYTE* p) { return (DWORD{p[0]} << 24) | (DWORD{p[1]} << 16) | (DWORD{p[2]} << 8) | p[3]; }

// The stored image agrees with its directory entry and holds all its bits.
void expectWellFormed(const IconImage& image) {
    SCOPED_TRACE(testing::Message() << image.size << " px, " << image.bitCount << " bit");
    if (isPng(image.bytes)) {
        // Only the large 32-bit image may be compressed.
        EXPECT_EQ(image.size, 256);
        EXPECT_EQ(image.bitCount, 32);
        ASSERT_GE(image.bytes.size(), 33u);
        EXPECT_EQ(std::memcmp(image.bytes.data() + 12, "IHDR", 4), 0);
        EXPECT_EQ(bigEndian32(image.bytes.data() + 16), 256u);
        EXPECT_EQ(bigEndian32(image.bytes.data() + 20), 256u);
        EXPECT_EQ(image.bytes[24], 8);  // bits per channel
        EXPECT_EQ(image.bytes[25], 6);  // RGBA
        return;
    }
    ASSERT_GE(image.bytes.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, image.bytes.data(), sizeof(header));
    EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(header.biWidth, image.size);
    EXPECT_EQ(header.biHeight, 2 * image.size);  // colour and mask rows
    EXPECT_EQ(header.biBitCount, image.bitCount);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    const size_t palette = image.bitCount <= 8 ? (size_t{1} << image.bitCount) * 4 : 0;
    const size_t colourRow = ((image.size * image.bitCount + 31) / 32) * 4;
    const size_t maskRow = ((image.size + 31) / 32) * 4;
    EXPECT_EQ(image.bytes.size(), sizeof(header) + palette + (colourRow + maskRow) * image.size);
}

// One pixel of a DIB image: its alpha (32-bit) or whether it is opaque per
// the mask (8-bit, 255 or 0). Rows are stored bottom-up.
int pixelAlpha(const IconImage& image, int x, int y) {
    const int row = image.size - 1 - y;
    const size_t palette = image.bitCount <= 8 ? (size_t{1} << image.bitCount) * 4 : 0;
    const size_t colourRow = ((image.size * image.bitCount + 31) / 32) * 4;
    const BYTE* colour = image.bytes.data() + sizeof(BITMAPINFOHEADER) + palette;
    if (image.bitCount == 32) return colour[row * colourRow + x * 4 + 3];
    const BYTE* mask = colour + colourRow * image.size;
    const size_t maskRow = ((image.size + 31) / 32) * 4;
    return (mask[row * maskRow + x / 8] & (0x80 >> (x % 8))) ? 0 : 255;
}

TEST(Resources, ApplicationIconHasTenImagesInTwoDepths) {
    const auto images = iconGroup(IDI_APP);
    std::multiset<std::pair<int, int>> found;
    for (const auto& image : images) found.insert({image.size, image.bitCount});
    const std::multiset<std::pair<int, int>> expected = {{256, 32}, {48, 32}, {32, 32}, {24, 32}, {16, 32},
                                                         {256, 8},  {48, 8},  {32, 8},  {24, 8},  {16, 8}};
    EXPECT_EQ(found, expected);
    for (const auto& image : images) {
        expectWellFormed(image);
        if (isPng(image.bytes)) continue;
        // A rounded tile: the corners are see-through, the middle is not.
        SCOPED_TRACE(testing::Message() << image.size << " px, " << image.bitCount << " bit");
        EXPECT_EQ(pixelAlpha(image, 0, 0), 0);
        EXPECT_EQ(pixelAlpha(image, image.size - 1, image.size - 1), 0);
        EXPECT_EQ(pixelAlpha(image, image.size / 2, image.size / 2), 255);
    }
}

TEST(Resources, CompareBadgesAreSingleSmallTrueColourImages) {
    for (int id : {IDI_MATCH, IDI_MISMATCH}) {
        SCOPED_TRACE(id);
        const auto images = iconGroup(id);
        ASSERT_EQ(images.size(), 1u);
        EXPECT_EQ(images[0].size, 16);
        EXPECT_EQ(images[0].bitCount, 32);
        expectWellFormed(images[0]);
        ASSERT_FALSE(isPng(images[0].bytes));
        // A round badge with soft edges.
        EXPECT_EQ(pixelAlpha(images[0], 0, 0), 0);
        EXPECT_EQ(pixelAlpha(images[0], 8, 8), 255);
        bool partial = false;
        for (int x = 0; x < 16; ++x) partial |= pixelAlpha(images[0], x, 0) > 0 && pixelAlpha(images[0], x, 0) < 255;
        EXPECT_TRUE(partial) << "edges not antialiased";
    }
}

TEST(Resources, SystemLoadsTheIconsAtTheSizesTheProgramAsks) {
    struct Request {
        int id;
        int size;
    };
    // The main window's small icon, the taskbar overlays, the update and About dialogs.
    for (Request request : {Request{IDI_APP, 16}, Request{IDI_APP, 32}, Request{IDI_APP, 48}, Request{IDI_APP, 128},
                            Request{IDI_MATCH, 16}, Request{IDI_MISMATCH, 16}}) {
        SCOPED_TRACE(testing::Message() << request.id << " at " << request.size);
        auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(request.id), IMAGE_ICON,
                                                  request.size, request.size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap{};
        GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
        EXPECT_EQ(bitmap.bmWidth, request.size);
        if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

// The eight languages of the string tables.
constexpr std::pair<LANGID, const char*> kLanguages[] = {
    {1033, "English"}, {1031, "German"},  {1040, "Italian"},           {1045, "Polish"},
    {1060, "Slovenian"}, {3082, "Spanish"}, {2052, "Chinese (Simplified)"}, {1028, "Chinese (Traditional)"},
};

// One string of one language as its table holds it ("" when absent), read
// straight from the resource: LoadStringW would fall back to other languages.
std::wstring tableText(UINT id, LANGID language) {
    const HRSRC found = FindResourceExW(nullptr, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (found == nullptr) return {};
    const auto* p = static_cast<const WCHAR*>(LockResource(LoadResource(nullptr, found)));
    const WCHAR* end = p + SizeofResource(nullptr, found) / sizeof(WCHAR);
    for (UINT i = 0; i < id % 16 && p < end; ++i) p += 1 + *p;
    if (p >= end || *p > end - p - 1) return {};
    return std::wstring(p + 1, *p);
}

std::string narrow(const std::wstring& wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), out.data(), size, nullptr, nullptr);
    return out;
}

// The controls of each dialog that carry an access key, by their texts: every
// text a control shows in any state, so no two can ever share a key.
struct DialogLabels {
    const char* dialog;
    std::vector<UINT> texts;
};

const DialogLabels kDialogLabels[] = {
    {"main", {IDS_HASH, IDS_SUSPEND, IDS_RESUME, IDS_OK, IDS_STOP, IDS_BROWSE, IDS_ABOUT, IDS_FUNCTIONS, IDS_SHOW_ALL,
              IDS_SMALL_CAPS, IDS_PROMPT_FILE, IDS_PROMPT_TEXT, IDS_PROMPT_DRIVE, IDS_HASH_TEXT, IDS_HASH_DISK,
              IDS_COMPARE_GROUP}},
    {"MD6", {IDS_MD6_D, IDS_MD6_KEY, IDS_MD6_L, IDS_MD6_R, IDS_SET_DEFAULT, IDS_OK, IDS_CANCEL}},
    {"HAVAL", {IDS_HAVAL_PASSES, IDS_HAVAL_BITS, IDS_SET_DEFAULT, IDS_OK, IDS_CANCEL}},
    {"About", {IDS_OK, IDS_LICENSE, IDS_CHECK_UPDATES}},
    {"update", {IDS_DOWNLOAD, IDS_RUN, IDS_INSTALL, IDS_CANCEL}},
};

// The access key of a label: the character after its one single '&' ("&&"
// shows an '&'), upper-cased; none when there is no single '&' or more than one.
std::optional<wchar_t> accessKey(const std::wstring& label) {
    std::optional<wchar_t> key;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] != L'&') continue;
        if (i + 1 < label.size() && label[i + 1] == L'&') {
            ++i;
            continue;
        }
        if (key || i + 1 == label.size() || !IsCharAlphaNumericW(label[i + 1])) return std::nullopt;
        key = static_cast<wchar_t>(reinterpret_cast<ULONG_PTR>(CharUpperW(
            reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(label[i + 1])))));
    }
    return key;
}

TEST(Resources, EveryDialogLabelHasItsOwnAccessKey) {
    // The check itself, on labels a translator might write.
    EXPECT_EQ(accessKey(L"&Hash"), L'H');
    EXPECT_EQ(accessKey(L"Sto&p"), L'P');
    EXPECT_EQ(accessKey(L"计算(&h)"), L'H');
    EXPECT_EQ(accessKey(L"Wstrzym&aj"), L'A');
    for (const wchar_t* bad : {L"Hash", L"&&Hash", L"&Ha&sh", L"Hash&", L"& Hash", L"(&.)"}) {
        EXPECT_FALSE(accessKey(bad).has_value()) << narrow(bad);
    }
    for (const auto& [language, languageName] : kLanguages) {
        ASSERT_FALSE(tableText(IDS_PRODUCT, language).empty()) << languageName;
        for (const DialogLabels& dialog : kDialogLabels) {
            SCOPED_TRACE(std::string(languageName) + ", " + dialog.dialog + " dialog");
            std::map<wchar_t, UINT> owners;
            for (UINT id : dialog.texts) {
                const std::wstring label = tableText(id, language);
                const std::optional<wchar_t> key = accessKey(label);
                if (!key) {
                    ADD_FAILURE() << id << " has no access key: " << narrow(label);
                    continue;
                }
                const auto [owner, added] = owners.emplace(*key, id);
                EXPECT_TRUE(added) << narrow(label) << " takes the key of " << narrow(tableText(owner->second, language));
            }
        }
    }
}

// The version is written once, in the project() call; the version block, the
// manifest and the code all carry that one.
TEST(Resources, EveryVersionIsTheProjectVersion) {
    const std::string project = SUMWISE_PROJECT_VERSION;
    wchar_t path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    const DWORD size = GetFileVersionInfoSizeW(path, nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));
    auto text = [&](const wchar_t* name) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) return std::string("<none>");
        const std::wstring wide(static_cast<const wchar_t*>(value));
        return std::string(wide.begin(), wide.end());
    };
    EXPECT_EQ(text(L"FileVersion"), project);
    EXPECT_EQ(text(L"ProductVersion"), project);
    void* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &fixed, &length));
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(fixed);
    for (const auto& [most, least] : {std::pair{info->dwFileVersionMS, info->dwFileVersionLS},
                                      std::pair{info->dwProductVersionMS, info->dwProductVersionLS}}) {
        EXPECT_EQ(std::to_string(HIWORD(most)) + "." + std::to_string(LOWORD(most)) + "." +
                      std::to_string(HIWORD(least)) + "." + std::to_string(LOWORD(least)),
                  project);
    }
    const HRSRC manifest = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr);
    const std::string xml(static_cast<const char*>(LockResource(LoadResource(nullptr, manifest))),
                          SizeofResource(nullptr, manifest));
    EXPECT_NE(xml.find("name=\"Sumwise\" version=\"" + project + "\""), std::string::npos);
    EXPECT_EQ(sumwise::kVersionText, project);
}

}  // namespace

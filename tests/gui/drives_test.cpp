// The optical drives in disk mode: the drive list from a substituted set of
// devices, the drive box in the real dialog as devices and media come and
// go, and a whole disc hashed through a drive letter that stands for an
// image (run through scripts/run-with-disc.sh).
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app_harness.h"
#include "fake_inputs.h"
#include "inputs/drive_list.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace sumwise::test {
namespace {

FakeDrive disc(wchar_t letter, std::uint32_t serial, std::wstring label = L"DISC", std::uint64_t length = 700u << 20) {
    FakeDrive drive;
    drive.letter = letter;
    drive.devicePath = std::wstring(L"\\\\?\\ide#cdrom") + letter + L"#{53f56308-b6bf-11d0-94f2-00a0c91efb8b}";
    drive.description = {11, "PLDS    ", "DVD+-RW DU8A6SH "};
    drive.volume = {std::move(label), serial};
    drive.length = length;
    return drive;
}

TEST(DriveList, EachDriveIsDescribedByWhatItReports) {
    struct Case {
        const char* what;
        unsigned bus;
        std::string vendor;
        std::string product;
        std::wstring label;
        std::uint32_t serial;
        std::uint64_t length;
        std::wstring text;
    };
    const Case cases[] = {
        {"SATA writer with a disc", 11, "PLDS    ", "DVD+-RW DU8A6SH ", L"BACKUP", 0x1234, 4708106240u,
         L"PLDS DVD+-RW DU8A6SH SATA (E:) BACKUP (4.38 GB)"},
        {"USB drive", 7, "HL-DT-ST", "DVDRAM GP57EB40", L"PHOTOS", 7, 16766730, L"HL-DT-ST DVDRAM GP57EB40 USB (E:) PHOTOS (15.9 MB)"},
        {"unknown bus", 0, "PLDS", "DVD", L"D", 1, 1025, L"PLDS DVD (E:) D (1.00 KB)"},
        {"bus 15", 15, "PLDS", "DVD", L"D", 1, 1025, L"PLDS DVD (E:) D (1.00 KB)"},
        {"bus above 15", 16, "PLDS", "DVD", L"D", 1, 1025, L"PLDS DVD (E:) D (1.00 KB)"},
        {"no medium", 2, "TSST", "CDDVDW", L"", 0, 0, L"TSST CDDVDW ATAPI (E:) (Empty)"},
        {"size unknown", 11, "PLDS", "DVD", L"DISC", 9, 0, L"PLDS DVD SATA (E:) DISC"},
        {"nothing known", 0, "", "", L"", 9, 0, L"(E:)"},
        {"control bytes", 1, "A\x01" "B", "", L"X", 9, 0, L"A?B SCSI (E:) X"},
    };
    for (const Case& c : cases) {
        FakeDrive drive = disc(L'E', c.serial, c.label, c.length);
        drive.description = {c.bus, c.vendor, c.product};
        FakeDevices devices({drive});
        const auto items = listDrives(devices, L'.', L"(Empty)");
        ASSERT_EQ(items.size(), 1u) << c.what;
        EXPECT_EQ(items[0].text, c.text) << c.what;
        EXPECT_EQ(items[0].serial, c.serial);
        EXPECT_EQ(items[0].devicePath, drive.devicePath);
        EXPECT_LE(items[0].text.size(), kMaxDriveText);
    }
}

TEST(DriveList, DevicesAreMatchedToTheirOwnLetters) {
    struct Case {
        const char* what;
        std::vector<FakeDrive> drives;
        std::wstring letters;  // of the items, in order
    };
    FakeDrive noLetter = disc(L'E', 1);
    noLetter.letter = L'\0';  // a device whose volume no letter carries
    FakeDrive virtualDrive = disc(L'G', 3);
    virtualDrive.devicePath.clear();  // a CD-ROM letter the device list does not know
    std::vector<FakeDrive> many;
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) many.push_back(disc(letter, letter));
    for (int i = 0; i < 4; ++i) {
        FakeDrive extra = disc(L'\0', 1);
        extra.devicePath += std::to_wstring(i);
        many.insert(many.begin(), extra);
    }
    const Case cases[] = {
        {"two drives in device order", {disc(L'E', 1), disc(L'D', 2)}, L"ED"},
        {"a device without a letter", {noLetter, disc(L'F', 2)}, L"F"},
        {"a drive only the letters know", {disc(L'D', 1), virtualDrive}, L"DG"},
        {"no device list at all", {virtualDrive}, L"G"},
        {"more devices than letters", many, L"ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
        {"none", {}, L""},
    };
    for (const Case& c : cases) {
        FakeDevices devices(c.drives);
        const auto items = listDrives(devices, L'.', L"(Empty)");
        std::wstring letters;
        for (const DriveItem& item : items) letters += item.letter;
        EXPECT_EQ(letters, c.letters) << c.what;
        for (const DriveItem& item : items) {
            // Each item asks its size from its own device, or from its volume.
            for (const FakeDrive& drive : c.drives) {
                if (drive.letter != item.letter) continue;
                const std::wstring volume = {L'\\', L'\\', L'.', L'\\', item.letter, L':'};
                EXPECT_EQ(item.devicePath, drive.devicePath.empty() ? volume : drive.devicePath) << c.what;
            }
        }
    }
}

// The drive box's items as the user sees them.
std::vector<std::wstring> driveBox(const RunningApp& app) {
    std::vector<std::wstring> texts;
    const HWND box = app.control(IDC_DRIVES);
    for (LRESULT i = 0, count = SendMessageW(box, CB_GETCOUNT, 0, 0); i < count; ++i) {
        wchar_t text[256] = {};
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT;
        item.iItem = i;
        item.pszText = text;
        item.cchTextMax = 256;
        SendMessageW(box, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        texts.emplace_back(text);
    }
    return texts;
}

wchar_t chosenLetter(const RunningApp& app) {
    const HWND box = app.control(IDC_DRIVES);
    const LRESULT selected = SendMessageW(box, CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? L'\0' : static_cast<wchar_t>(SendMessageW(box, CB_GETITEMDATA, selected, 0));
}

void choose(RunningApp& app, wchar_t letter) {
    const HWND box = app.control(IDC_DRIVES);
    for (LRESULT i = 0, count = SendMessageW(box, CB_GETCOUNT, 0, 0); i < count; ++i) {
        if (static_cast<wchar_t>(SendMessageW(box, CB_GETITEMDATA, i, 0)) != letter) continue;
        SendMessageW(box, CB_SETCURSEL, i, 0);
        SendMessageW(app.dialog(), WM_COMMAND, MAKEWPARAM(IDC_DRIVES, CBN_SELCHANGE), reinterpret_cast<LPARAM>(box));
    }
}

RunningApp withDevices(const std::wstring& commandLine, std::shared_ptr<FakeDevices> devices) {
    return RunningApp(commandLine, [devices](AppServices& services) { services.devices = devices; });
}

void setValue(RunningApp& app, const wchar_t* name, const wchar_t* value) {
    ListView_SetItemText(app.control(IDC_RESULTS), 0, 1, const_cast<wchar_t*>(value));
    EXPECT_EQ(app.value(name), value);
}

TEST(DiskMode, TheDriveBoxOffersTheDrivesFound) {
    struct Case {
        const char* what;
        std::vector<FakeDrive> drives;
        std::vector<std::wstring> texts;
        const wchar_t* caption;
        bool hash;
    };
    const Case cases[] = {
        {"no drive", {}, {}, L"No CD/DVD drive was found", false},
        {"one drive", {disc(L'E', 1, L"BACKUP", 4708106240u)}, {L"PLDS DVD+-RW DU8A6SH SATA (E:) BACKUP (4.38 GB)"},
         L"Choose dr&ive for hash computing", true},
        {"two drives, one empty",
         {disc(L'D', 0), disc(L'E', 2, L"X", 1025)},
         {L"PLDS DVD+-RW DU8A6SH SATA (D:) (Empty)", L"PLDS DVD+-RW DU8A6SH SATA (E:) X (1.00 KB)"},
         L"Choose dr&ive for hash computing", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunningApp app = withDevices(L"/V /H:CRC32", std::make_shared<FakeDevices>(c.drives));
        EXPECT_EQ(driveBox(app), c.texts);
        EXPECT_EQ(chosenLetter(app), c.drives.empty() ? L'\0' : c.drives[0].letter);
        EXPECT_EQ(app.text(IDC_INPUT_GROUP), c.caption);
        EXPECT_EQ(app.enabled(IDC_HASH), c.hash);
        EXPECT_TRUE(app.enabled(IDC_DRIVES));
        EXPECT_TRUE(app.enabled(IDC_DISK_MODE));
        const auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(app.control(IDC_DRIVES), CBEM_GETIMAGELIST, 0, 0));
        EXPECT_EQ(ImageList_GetImageCount(images), static_cast<int>(c.drives.size()));
    }
}

TEST(DiskMode, DevicesAndMediaThatComeAndGo) {
    auto devices = std::make_shared<FakeDevices>(std::vector{disc(L'D', 1), disc(L'E', 2)});
    RunningApp app = withDevices(L"/V /H:CRC32", devices);
    choose(app, L'E');
    setValue(app, L"CRC32", L"0000000E");

    // D goes away: E stays chosen, its values stay (the same medium).
    devices->setDrives({disc(L'E', 2)});
    SendMessageW(app.dialog(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    ASSERT_TRUE(waitFor([&] { return driveBox(app).size() == 1; }));
    EXPECT_EQ(chosenLetter(app), L'E');
    EXPECT_EQ(app.value(L"CRC32"), L"0000000E");

    // Another medium in E: its values are stale.
    devices->setSerial(L'E', 3);
    SendMessageW(app.dialog(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    ASSERT_TRUE(waitFor([&] { return app.value(L"CRC32").empty(); }));
    EXPECT_EQ(chosenLetter(app), L'E');
    EXPECT_TRUE(app.enabled(IDC_HASH));

    // The last drive goes: nothing to hash.
    setValue(app, L"CRC32", L"0000000E");
    devices->setDrives({});
    SendMessageW(app.dialog(), WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    ASSERT_TRUE(waitFor([&] { return driveBox(app).empty(); }));
    EXPECT_EQ(app.value(L"CRC32"), L"");
    EXPECT_FALSE(app.enabled(IDC_HASH));
    EXPECT_EQ(app.text(IDC_INPUT_GROUP), L"No CD/DVD drive was found");

    // A drive arrives: it is listed once its medium had time to mount.
    devices->setDrives({disc(L'F', 4)});
    SendMessageW(app.dialog(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    ASSERT_TRUE(waitFor([&] { return driveBox(app).size() == 1; }));
    EXPECT_EQ(chosenLetter(app), L'F');
    EXPECT_TRUE(app.enabled(IDC_HASH));
    EXPECT_EQ(app.text(IDC_INPUT_GROUP), L"Choose dr&ive for hash computing");
    ASSERT_TRUE(waitFor([&] { return app.enabled(IDC_DRIVES); }));
}

TEST(DiskMode, AJobEndingLeavesTheDriveBoxToAPendingRescan) {
    TempDir dir;
    const auto big = sparseFile(dir, L"big.bin", 6ull << 30);
    auto devices = std::make_shared<FakeDevices>(std::vector{disc(L'E', 1)});
    RunningApp app = withDevices(L"/H:CRC64 " + quoted(big), devices);
    ASSERT_TRUE(waitFor([&] { return app.enabled(IDC_DRIVES); }));
    struct Release {
        FakeDevices& devices;
        ~Release() { devices.holdScans(false); }
    } release{*devices};
    app.click(IDC_HASH);
    ASSERT_TRUE(waitFor([&] { return app.visible(IDC_PROGRESS); }));
    // A drive arrives during the job; its rescan cannot finish yet.
    devices->holdScans(true);
    SendMessageW(app.dialog(), WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
    app.click(IDOK);
    ASSERT_TRUE(waitFor([&] { return app.jobFinished(); }));
    app.settle();
    EXPECT_FALSE(app.enabled(IDC_DRIVES)) << "the end of the job let the drive box go before its rescan";
    EXPECT_TRUE(app.enabled(IDC_DISK_MODE));
    EXPECT_TRUE(app.enabled(IDC_TEXT_MODE));
    devices->holdScans(false);
    EXPECT_TRUE(waitFor([&] { return app.enabled(IDC_DRIVES); }));
}

std::string readAll(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return bytes.str();
}

TEST(VolumeInput, DiskJobHashesTheWholeDisc) {
    const char* letterText = std::getenv("SUMWISE_DISC_LETTER");
    const char* imagePath = std::getenv("SUMWISE_DISC_IMAGE");
    if (letterText == nullptr || imagePath == nullptr) GTEST_SKIP() << "run through scripts/run-with-disc.sh";
    const auto letter = static_cast<wchar_t>(towupper(static_cast<wint_t>(letterText[0])));
    std::ifstream stream(imagePath, std::ios::binary);
    const std::vector<std::uint8_t> image((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());

    TempDir logs;
    RunningApp app(L"/V /LOG /H:CRC32,MD5,SHA-1", logs.path().wstring());
    // Wine lists no optical devices: the letter's own volume stands for it.
    // Its label is empty and Wine cannot tell the medium's length.
    const std::wstring item = std::wstring(L"(") + letter + L":)";
    const auto texts = driveBox(app);
    ASSERT_NE(std::find(texts.begin(), texts.end(), item), texts.end());
    choose(app, letter);
    ASSERT_TRUE(app.enabled(IDC_HASH));
    app.hashAndWait();
    for (const char* name : {"CRC32", "MD5", "SHA-1"}) {
        const std::string expected = hexOf(name, image);
        EXPECT_EQ(app.value(std::wstring(name, name + std::strlen(name))), std::wstring(expected.begin(), expected.end()))
            << name;
    }
    std::string log;
    for (const auto& entry : std::filesystem::directory_iterator(logs.path())) log += readAll(entry.path());
    const std::string diskLine = std::string("       Disk: (") + static_cast<char>(letter) + ":) \r\n";
    std::size_t lines = 0;
    for (std::size_t at = log.find(diskLine); at != std::string::npos; at = log.find(diskLine, at + 1)) ++lines;
    EXPECT_EQ(lines, 3u) << log;
}

}  // namespace
}  // namespace sumwise::test

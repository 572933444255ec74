// Files dragged onto the real dialog: what the drag image says while one
// is over the window, and what a drop changes. Run with the shell's
// drag-image object (Wine's answers "not implemented") and with none.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>

#include "app_harness.h"
#include "fake_inputs.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace sumwise::test {
namespace {

struct Drag {
    DWORD enterEffect = DROPEFFECT_NONE;
    DWORD overEffect = DROPEFFECT_NONE;
    std::optional<DROPDESCRIPTION> description;  // after DragEnter
    std::optional<DROPDESCRIPTION> afterLeave;
};

// DragEnter, DragOver, then Drop or DragLeave, on the dialog's thread.
Drag drag(RunningApp& app, FakeDataObject& data, bool drop) {
    Drag result;
    app.onDialogThread([&] {
        IDropTarget* target = app.dropTarget();
        ASSERT_NE(target, nullptr);
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
        EXPECT_EQ(target->DragEnter(&data, MK_LBUTTON, POINTL{10, 10}, &effect), S_OK);
        result.enterEffect = effect;
        result.description = data.description();
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        EXPECT_EQ(target->DragOver(MK_LBUTTON, POINTL{12, 12}, &effect), S_OK);
        result.overEffect = effect;
        if (drop) {
            effect = DROPEFFECT_COPY;
            EXPECT_EQ(target->Drop(&data, 0, POINTL{12, 12}, &effect), S_OK);
            EXPECT_EQ(effect, result.enterEffect);
        } else {
            EXPECT_EQ(target->DragLeave(), S_OK);
            result.afterLeave = data.description();
        }
    });
    return result;
}

std::wstring message(const std::optional<DROPDESCRIPTION>& description) {
    return description ? std::wstring(description->szMessage) : L"<none>";
}
std::wstring insert(const std::optional<DROPDESCRIPTION>& description) {
    return description ? std::wstring(description->szInsert) : L"<none>";
}

class Drops : public ::testing::TestWithParam<bool> {
protected:
    // With or without the shell's drag-image object.
    RunningApp start(const std::wstring& commandLine) {
        const bool shellImages = GetParam();
        return RunningApp(commandLine, [shellImages](AppServices& services) {
            if (!shellImages) services.makeDragImages = [] { return static_cast<IDropTargetHelper*>(nullptr); };
        });
    }
};

TEST_P(Drops, WhatIsDraggedDecidesTheDescriptionAndTheEffect) {
    TempDir dir;
    const auto image = dir.write("image.iso", "abc");
    const auto other = dir.write("other.bin", "xyz");
    const auto hashFile = dir.write("image.iso.md5", "900150983cd24fb0d6963f7d28e17f72 *image.iso\r\n");
    const auto theirs = dir.write("image.iso.sha256", "1111  other.iso\n2222  image.iso\n");
    const auto sumsFile = dir.write("SHA256SUMS", "2222  image.iso\n");
    const auto notSums = dir.write("notes.sha256", "not a digest\n");
    struct Case {
        const char* what;
        std::optional<std::vector<std::wstring>> paths;
        DWORD effect;
        int imageType;
        const wchar_t* message;
        std::wstring insert;
    };
    const Case cases[] = {
        {"a data file", std::vector{image.wstring()}, DROPEFFECT_COPY, DROPIMAGE_COPY, L"Apply to: %1", L"image.iso"},
        {"a hash file", std::vector{hashFile.wstring()}, DROPEFFECT_COPY, DROPIMAGE_COPY, L"Compare to: %1",
         L"image.iso.md5"},
        {"another tool's hash file", std::vector{theirs.wstring()}, DROPEFFECT_COPY, DROPIMAGE_COPY,
         L"Compare to: %1", L"image.iso.sha256"},
        {"a sums file", std::vector{sumsFile.wstring()}, DROPEFFECT_COPY, DROPIMAGE_COPY, L"Compare to: %1",
         L"SHA256SUMS"},
        {"named like a hash file, holding none", std::vector{notSums.wstring()}, DROPEFFECT_COPY, DROPIMAGE_COPY,
         L"Apply to: %1", L"notes.sha256"},
        {"two files", std::vector{image.wstring(), other.wstring()}, DROPEFFECT_NONE, DROPIMAGE_NONE,
         L"You can drop only one file", L""},
        {"a folder", std::vector{dir.path().wstring()}, DROPEFFECT_NONE, DROPIMAGE_NONE, L"You can drop only one file",
         L""},
        {"no files at all", std::nullopt, DROPEFFECT_NONE, DROPIMAGE_NONE, L"You can drop only one file", L""},
    };
    RunningApp app = start(L"/T /H:MD5");
    app.setText(IDC_INPUT, L"typed");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeDataObject data(c.paths);
        const Drag result = drag(app, data, false);
        EXPECT_EQ(result.enterEffect, c.effect);
        EXPECT_EQ(result.overEffect, c.effect);
        ASSERT_TRUE(result.description.has_value());
        EXPECT_EQ(result.description->type, c.imageType);
        EXPECT_EQ(message(result.description), c.message);
        EXPECT_EQ(insert(result.description), c.insert);
        // Leaving takes the description away again.
        ASSERT_TRUE(result.afterLeave.has_value());
        EXPECT_EQ(result.afterLeave->type, DROPIMAGE_INVALID);
        EXPECT_EQ(message(result.afterLeave), L"");
        EXPECT_EQ(data.references(), 1) << "the target let the data object go";
        // Nothing has changed by dragging over the window.
        EXPECT_TRUE(app.checked(IDC_TEXT_MODE));
        EXPECT_EQ(app.text(IDC_INPUT), L"typed");
    }
}

TEST_P(Drops, DroppingChangesOnlyWhatItShould) {
    TempDir dir;
    const auto image = dir.write("image.iso", "abc");
    dir.write("image.iso.md5", "900150983CD24FB0D6963F7D28E17F72\r\n");
    const auto other = dir.write("other.bin", "xyz");
    const auto hashFile = dir.write("expected.sha-1", "a9993e364706816aba3e25717850c26c9cd0d89d  image.iso\n");
    // Other tools' files: the line naming the input wins, else the first line.
    const auto sumsFile = dir.write("SHA1SUMS", "1111  other.bin\n2222  image.iso\n");
    const auto md5File = dir.write("list.md5", "3333  a.iso\n4444  b.iso\n");
    const auto third = dir.write("third.iso", "abc");
    dir.write("third.iso.sha1", "1111  other.iso\na9993e364706816aba3e25717850c26c9cd0d89d *third.iso\n");
    // A path well beyond the classic 260 characters, taken whole.
    std::filesystem::path deep = dir.path();
    for (int i = 0; i < 4; ++i) deep /= std::wstring(70, static_cast<wchar_t>(L'a' + i));
    std::filesystem::create_directories(L"\\\\?\\" + deep.wstring());
    const std::filesystem::path longFile = deep / L"long.bin";
    {
        const HANDLE file = CreateFileW((L"\\\\?\\" + longFile.wstring()).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, "abc", 3, &written, nullptr);
        CloseHandle(file);
    }
    ASSERT_GT(longFile.wstring().size(), 260u);

    struct Case {
        const char* what;
        std::wstring commandLine;
        std::vector<std::wstring> paths;
        std::wstring input;    // afterwards
        std::wstring compare;  // afterwards
        bool textMode;
        bool diskMode;
    };
    const std::wstring sha1 = L"a9993e364706816aba3e25717850c26c9cd0d89d";
    const Case cases[] = {
        // A data file in text or disk mode: file mode, the input, its companion hash file.
        {"data file in text mode", L"/T /H:MD5", {image.wstring()}, image.wstring(),
         L"900150983CD24FB0D6963F7D28E17F72", false, false},
        {"data file in disk mode", L"/V /H:MD5", {image.wstring()}, image.wstring(),
         L"900150983CD24FB0D6963F7D28E17F72", false, false},
        // A hash file fills the compare box only, whatever the mode.
        {"hash file in text mode", L"/T /H:MD5", {hashFile.wstring()}, L"", sha1, true, false},
        {"hash file in disk mode", L"/V /H:MD5", {hashFile.wstring()}, L"", sha1, false, true},
        {"sums file in text mode", L"/T /H:MD5", {sumsFile.wstring()}, L"", L"1111", true, false},
        {"sums file with the input named", L"/H:MD5 " + quoted(image), {sumsFile.wstring()}, image.wstring(), L"2222",
         false, false},
        {"several lines of MD5 without the input", L"/H:MD5 " + quoted(image), {md5File.wstring()}, image.wstring(),
         L"3333", false, false},
        {"data file with another tool's hash file beside it", L"/T /H:MD5,SHA-1", {third.wstring()}, third.wstring(),
         sha1, false, false},
        {"two files", L"/T /H:MD5", {image.wstring(), other.wstring()}, L"", L"", true, false},
        {"folder", L"/T /H:MD5", {dir.path().wstring()}, L"", L"", true, false},
        {"long path", L"/H:MD5", {longFile.wstring()}, longFile.wstring(), L"", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RunningApp app = start(c.commandLine);
        FakeDataObject data(c.paths);
        drag(app, data, true);
        EXPECT_EQ(app.text(IDC_INPUT), c.input);
        EXPECT_EQ(app.text(IDC_COMPARE), c.compare);
        EXPECT_EQ(app.checked(IDC_TEXT_MODE), c.textMode);
        EXPECT_EQ(app.checked(IDC_DISK_MODE), c.diskMode);
        if (!c.input.empty()) {
            EXPECT_EQ(app.text(IDC_INPUT_GROUP), L"File size: 3 B");
            ASSERT_TRUE(app.enabled(IDC_HASH));
            app.hashAndWait();
            EXPECT_EQ(app.value(L"MD5"), L"900150983CD24FB0D6963F7D28E17F72");
        }
    }
}

TEST_P(Drops, DroppingTheCurrentInputChangesNothing) {
    TempDir dir;
    const auto image = dir.write("image.iso", "abc");
    RunningApp app = start(L"/H:CRC32 " + quoted(image));
    app.hashAndWait();
    app.setText(IDC_COMPARE, L"typed by the user");
    const std::wstring title = app.title();
    std::wstring sameInOtherCase = image.wstring();
    for (wchar_t& c : sameInOtherCase) c = static_cast<wchar_t>(towupper(c));
    FakeDataObject data(std::vector{sameInOtherCase});
    drag(app, data, true);
    EXPECT_EQ(app.value(L"CRC32"), L"352441C2");
    EXPECT_EQ(app.text(IDC_COMPARE), L"typed by the user");
    EXPECT_EQ(app.title(), title);
}

TEST_P(Drops, DuringAJobOnlyAHashFileIsTaken) {
    TempDir dir;
    const auto big = sparseFile(dir, L"big.bin", 6ull << 30);
    const auto image = dir.write("image.iso", "abc");
    const auto hashFile = dir.write("expected.md5", "900150983cd24fb0d6963f7d28e17f72 *image.iso\r\n");
    struct Case {
        const char* what;
        std::wstring path;
        DWORD effect;
        int imageType;
        const wchar_t* message;
        std::wstring compare;  // afterwards
    };
    const Case cases[] = {
        // The job keeps its input: no promise of "Apply to".
        {"a data file", image.wstring(), DROPEFFECT_NONE, DROPIMAGE_NONE, L"", L""},
        {"a hash file", hashFile.wstring(), DROPEFFECT_COPY, DROPIMAGE_COPY, L"Compare to: %1",
         L"900150983cd24fb0d6963f7d28e17f72"},
    };
    RunningApp app = start(L"/H:CRC64 " + quoted(big));
    app.click(IDC_HASH);
    ASSERT_TRUE(waitFor([&] { return app.visible(IDC_PROGRESS); }));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeDataObject data(std::vector{c.path});
        const Drag result = drag(app, data, true);
        EXPECT_EQ(result.enterEffect, c.effect);
        EXPECT_EQ(result.overEffect, c.effect);
        ASSERT_TRUE(result.description.has_value());
        EXPECT_EQ(result.description->type, c.imageType);
        EXPECT_EQ(message(result.description), c.message);
        EXPECT_EQ(app.text(IDC_INPUT), big.wstring());
        EXPECT_EQ(app.text(IDC_COMPARE), c.compare);
        EXPECT_EQ(data.references(), 1) << "the target let the data object go after the drop";
    }
    app.click(IDOK);
    ASSERT_TRUE(waitFor([&] { return app.jobFinished(); }));
    app.settle();
    // Once the job has ended a data file is taken again.
    FakeDataObject data(std::vector{image.wstring()});
    EXPECT_EQ(drag(app, data, true).enterEffect, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(app.text(IDC_INPUT), image.wstring());
}

TEST(DropTarget, TheWindowIsRegisteredWithTheSystem) {
    RunningApp app(L"", [](AppServices& services) { services.dropTargetWithSystem = true; });
    ASSERT_NE(app.dropTarget(), nullptr);
    app.onDialogThread([&] {
        // The system knows the window as a drop target already.
        EXPECT_EQ(RegisterDragDrop(app.dialog(), app.dropTarget()), DRAGDROP_E_ALREADYREGISTERED);
    });
}

INSTANTIATE_TEST_SUITE_P(DragImages, Drops, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& images) {
                             return images.param ? "ShellDragImages" : "NoDragImages";
                         });

}  // namespace
}  // namespace sumwise::test
